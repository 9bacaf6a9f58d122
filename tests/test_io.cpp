// Packed data file: record parsing, the cached reader, the line reader and the vfile packer.
#include "io.h"
#include "camera.h"
#include "effects_city.h"
#include "models.h"
#include "models_obj.h"
#include "resource_files.h"
#include "shader.h"
#include "textures.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <functional>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// Parses `image` from a block that ends where an unreadable page begins, so a read past it
// faults in every build, not only under the sanitizers.
static VlmRecordResult parseExact(const std::string &image, const char *name)
{
    size_t page = (size_t)sysconf(_SC_PAGESIZE), pages = image.size() / page + 1;
    unsigned char *map = (unsigned char *)mmap(nullptr, (pages + 1) * page, PROT_READ | PROT_WRITE,
                                               MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    EXPECT_EQ(mprotect(map + pages * page, page, PROT_NONE), 0);
    unsigned char *block = map + pages * page - image.size();
    memcpy(block, image.data(), image.size());
    VlmRecordResult result = vlm_io_parseRecord(block, image.size(), name);
    munmap(map, (pages + 1) * page);
    return result;
}

static std::string text(const VlmRecordResult &r)
{
    return std::string(r.data.begin(), r.data.end());
}

// ------------------------------------------------------------------ parsing

TEST(PackedRecord, FindsAndInflatesARecordAmongOthers)
{
    std::string image = "junk" + packedRecord("a.frag", "first file") + "\n" +
                        packedRecord("data/b.vert", "second\0file" + std::string(300, 'z'));
    VlmRecordResult r = parseExact(image, "data/b.vert");
    ASSERT_TRUE(r.ok && r.found);
    EXPECT_EQ(r.messages, "File data/b.vert found in data.vfile\n");
    EXPECT_EQ(text(r), "second\0file" + std::string(300, 'z'));
    EXPECT_EQ(text(parseExact(image, "a.frag")), "first file");
}

TEST(PackedRecord, EmptyFileRoundTrips)
{
    VlmRecordResult r = parseExact(packedRecord("empty.txt", ""), "empty.txt");
    ASSERT_TRUE(r.ok && r.found);
    EXPECT_TRUE(r.data.empty());
}

TEST(PackedRecord, AbsentNameIsReported)
{
    VlmRecordResult r = parseExact(packedRecord("a.frag", "x"), "b.frag");
    EXPECT_TRUE(r.ok && !r.found);
    EXPECT_EQ(r.messages, "File b.frag not found compressed.\n");
    // A name longer than the whole file is not tried anywhere.
    EXPECT_FALSE(parseExact("ab", "abc").found);
}

TEST(PackedRecord, NameThatIsTheTailOfAnEarlierNameFindsTheEarlierRecord)
{
    std::string image = packedRecord("data/shader/post.frag", "long") + packedRecord("shader/post.frag", "short");
    EXPECT_EQ(text(parseExact(image, "shader/post.frag")), "long");
    EXPECT_EQ(text(parseExact(image, "data/shader/post.frag")), "long");
}

// Every malformed record ends in its message; none may read outside the image.
TEST(PackedRecord, MalformedRecordsAreFatalWithTheirMessage)
{
    std::string hello = packedRecord("", "hello");
    std::string stream = hello.substr(hello.find(']', 3) + 1);
    std::string n = std::to_string(stream.size());
    std::string name128(128, 'n'), name124(124, 'm');
    struct Case {
        const char *what;
        std::string image, name, message;
    } cases[] = {
        {"one size only", "f[5]" + stream, "f", "Unable to get sizes.\n"},
        {"no sizes at all", "f", "f", "Unable to get sizes.\n"},
        {"negative size", "f[-5][" + n + "]" + stream, "f", "Unable to get sizes.\n"},
        {"signed size", "f[+5][" + n + "]" + stream, "f", "Unable to get sizes.\n"},
        {"leading zero", "f[05][" + n + "]" + stream, "f", "Unable to get sizes.\n"},
        {"space in size", "f[ 5][" + n + "]" + stream, "f", "Unable to get sizes.\n"},
        {"unclosed bracket at the end", "f[5][" + n, "f", "Unable to get sizes.\n"},
        {"too large for 32 bits", "f[3000000000][" + n + "]" + stream, "f", "Unable to get sizes.\n"},
        {"compressed size past the end", "f[5][" + std::to_string(stream.size() + 1) + "]" + stream,
         "f", "Unable to get sizes.\n"},
        {"name of 128 bytes", name128 + "[5][" + n + "]" + stream, name128, "Unable to get sizes.\n"},
        {"sizes cut by the 128-byte window", name124 + "[5][" + n + "]" + stream, name124,
         "Unable to get sizes.\n"},
        {"inflates shorter than recorded", "f[6][" + n + "]" + stream, "f", "\nUnable to decompress\n"},
        {"inflates longer than recorded", "f[4][" + n + "]" + stream, "f", "\nUnable to decompress\n"},
        {"huge claim, tiny data", "f[2000000000][" + n + "]" + stream, "f", "\nUnable to decompress\n"},
        {"not a zlib stream", "f[5][5]abcde", "f", "\nUnable to decompress\n"},
    };
    for (const Case &c : cases) {
        VlmRecordResult r = parseExact(c.image, c.name.c_str());
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.messages, "File " + c.name + " found in data.vfile\n" + c.message) << c.what;
    }
    // A header that exactly fills the window: Packer.HeadersUpTo128BytesRoundTrip...
}

// ------------------------------------------------------------------ the reader

TEST(PackedFileDeathTest, MissingPackedFileIsReportedOnceThenSilent)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            enterTempDir();
            unsigned size = 77;
            char *a = vlm_io_uncompress("data/shader/post.frag", &size);
            printf("<second>");
            char *b = vlm_io_uncompress("data/other.png", &size);
            printf("<end>");
            fflush(stdout);
            exit(a == nullptr && b == nullptr && size == 77 ? 3 : 4);
        },
        testing::ExitedWithCode(3), "^Error reading datafile.\n<second><end>$");
}

TEST(PackedFileDeathTest, BrokenRecordEndsTheProcessWithStatusZero)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            enterTempDir();
            std::string name(130, 'q');
            writeFile("data.vfile", name + "[5][5]abcde");
            unsigned size;
            vlm_io_uncompress(name.c_str(), &size);
            exit(9);
        },
        testing::ExitedWithCode(0), "found in data.vfile\nUnable to get sizes.");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            enterTempDir();
            writeFile("data.vfile", "f[5][5]abcde");
            unsigned size;
            vlm_io_uncompress("f", &size);
            exit(9);
        },
        testing::ExitedWithCode(0), "File f found in data.vfile\n\nUnable to decompress");
}

// Lets the process map only `extraMb` more than it maps now.
static void limitAddressSpace(unsigned long extraMb)
{
    unsigned long pages = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%lu", &pages) != 1) exit(8);
    fclose(statm);
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = pages * sysconf(_SC_PAGESIZE) + (extraMb << 20);
    if (setrlimit(RLIMIT_AS, &limit) != 0) exit(8);
}

// Whether a limit set by limitAddressSpace holds: a child limited to 16 MB more cannot map 64 MB.
// A user-mode emulator (qemu running a 32-bit build) takes the limit and never applies it.
static bool addressSpaceLimitHolds()
{
    pid_t child = fork();
    if (child == 0) {
        limitAddressSpace(16);
        void *block = mmap(nullptr, 64u << 20, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        _exit(block == MAP_FAILED ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A zlib stream of `zeros` zero bytes, deflated a megabyte at a time.
static std::string zeroStream(size_t zeros)
{
    z_stream z = {};
    deflateInit(&z, 1);
    std::vector<unsigned char> chunk(1 << 20, 0), out(1 << 16);
    std::string stream;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        size_t take = zeros < chunk.size() ? zeros : chunk.size();
        zeros -= take;
        z.next_in = chunk.data();
        z.avail_in = (uInt)take;
        do {
            z.next_out = out.data();
            z.avail_out = (uInt)out.size();
            status = deflate(&z, zeros == 0 ? Z_FINISH : Z_NO_FLUSH);
            stream.append((const char *)out.data(), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return stream;
}

// Asks a fresh directory's data.vfile (`image`) for `name` with `extraMb` of room; never returns.
static void readUnderLimit(const std::string &image, const char *name, unsigned long extraMb)
{
    dup2(2, 1);
    enterTempDir();
    writeFile("data.vfile", image);
    limitAddressSpace(extraMb);
    unsigned size;
    vlm_io_uncompress(name, &size);
    exit(9);
}

TEST(PackedFileDeathTest, AHugeClaimIsNeverCommittedAndAFailedAllocationIsNamed)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "an address space limit leaves no room for the sanitizer's shadow memory";
#endif
    if (!addressSpaceLimitHolds()) GTEST_SKIP() << "this process's address space limit is not applied";
    // 2 MB of incompressible bytes claiming 1 GB (deflate's ratio would allow it): only what
    // the stream gives is ever held, and the short stream is reported.
    std::string noise(2 << 20, 0);
    uint32_t x = 1;
    for (char &c : noise) c = (char)((x = x * 1664525u + 1013904223u) >> 24);
    std::vector<unsigned char> packed(compressBound(noise.size()));
    uLongf packedSize = packed.size();
    compress(packed.data(), &packedSize, (const Bytef *)noise.data(), noise.size());
    std::string claim = vlm_io_recordHeader("f", 1000000000ul, packedSize) +
                        std::string((const char *)packed.data(), packedSize);
    EXPECT_EXIT(readUnderLimit(claim, "f", 256), testing::ExitedWithCode(0),
                "^File f found in data.vfile\n\nUnable to decompress\n$");

    // A true record of 256 MB with room for 64 MB more: the allocation fails by name.
    std::string zeros = zeroStream(256u << 20);
    std::string big = vlm_io_recordHeader("z", 256ul << 20, zeros.size()) + zeros;
    EXPECT_EXIT(readUnderLimit(big, "z", 64), testing::ExitedWithCode(0),
                "^File z found in data.vfile\nunable to do a fecking malloc\n$");
}

TEST(WholeFile, ReadsRegularFilesWithAZeroAfterTheBytes)
{
    enterTempDir();
    writeFile("f.bin", std::string("a\0b", 3));
    VlmFile file = vlm_io_readFile("f.bin", VLM_FROM_DISK);
    ASSERT_EQ(file.status, VLM_FILE_READ);
    EXPECT_EQ(std::string(file.bytes, file.size + 1), std::string("a\0b\0", 4));
    EXPECT_FALSE(file.packed);
    free(file.bytes);
    EXPECT_EQ(vlm_io_readFile("none.bin", VLM_FROM_DISK).status, VLM_FILE_MISSING);
}

// A file of 2 GiB takes no disk when sparse; no reader may allocate for it or read it, and the
// refusal is the same whether size_t and long are 32 or 64 bits wide.
TEST(WholeFileDeathTest, EveryLoaderRefusesADirectoryADeviceOrAFileOf2GiBByName)
{
    static OBJMaterial material;
    static vlm_procMap map;
    const std::pair<const char *, std::function<void(const char *)>> loaders[] = {
        {"camera track", [](const char *p) { vlm_genCameraTrack(VLM_TRACK_LOADED, p); }},
        {"OBJ", [](const char *p) { vlm_loadOBJ(p); }},
        {"MTL", [](const char *p) { loadMaterial_Native(p, "Mat", &material, 0); }},
        {"MD5 mesh", [](const char *p) { vlm_loadMD5(p); }},
        {"MD5 animation", [](const char *p) { vlm_loadMD5Animation(p); }},
        {"shader", [](const char *p) { loadFile(p); }},
        {"PNG", [](const char *p) { vlm_loadPNG(p); }},
        {"TGA", [](const char *p) { vlm_loadTGA(p); }},
        {"city map", [](const char *p) { vlm_genProcFromImage(&map, p); }},
    };
    for (const auto &loader : loaders) {
        EXPECT_EXIT(
            {
                dup2(2, 1);
                enterTempDir();
                mkdir("adir", 0755);
                loader.second("adir");
                exit(7);
            },
            testing::ExitedWithCode(255), "\\[!\\] adir is not a regular file\n$")
            << loader.first;
    }
    EXPECT_EXIT(
        {
            dup2(2, 1);
            vlm_loadMD5("/dev/null");
            exit(7);
        },
        testing::ExitedWithCode(255), "\\[!\\] /dev/null is not a regular file\n$");

    enterTempDir();
    writeFile("big", "");
    ASSERT_EQ(truncate("big", 1ll << 31), 0);
    for (const auto &loader : loaders) {
        EXPECT_EXIT(
            {
                dup2(2, 1);
                loader.second("big");
                exit(7);
            },
            testing::ExitedWithCode(255),
            "\\[!\\] big is too large: 2147483648 bytes, more than 2147483647\n$")
            << loader.first;
    }
    // The packed file ends the process with 0, as its other failures do.
    ASSERT_EQ(rename("big", "data.vfile"), 0);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            unsigned size = 0;
            vlm_io_uncompress("data/shader/post.frag", &size);
            exit(7);
        },
        testing::ExitedWithCode(0),
        "^\\[!\\] data.vfile is too large: 2147483648 bytes, more than 2147483647\n$");
    unlink("data.vfile");
}

TEST(PackedFile, SecondRequestIsServedSilentlyFromTheCache)
{
    std::string dir = enterTempDir();
    writeFile("data.vfile", packedRecord("data/a.txt", "alpha contents") + packedRecord("data/b.txt", "beta"));
    unsigned size = 0;
    testing::internal::CaptureStdout();
    char *first = vlm_io_uncompress("data/a.txt", &size);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File data/a.txt found in data.vfile\n");
    ASSERT_TRUE(first);
    EXPECT_EQ(std::string(first, size), "alpha contents");

    unlink("data.vfile");  // the cache must not touch the file again
    unsigned size2 = 0;
    testing::internal::CaptureStdout();
    char *second = vlm_io_uncompress("data/a.txt", &size2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(std::string(second, size2), "alpha contents");
    first[0] = 'X';  // separately owned: changing one copy leaves the cache alone
    free(first);
    free(second);
    char *third = vlm_io_uncompress("data/a.txt", &size2);
    EXPECT_EQ(third[0], 'a');
    free(third);
}

TEST(PackedFile, AbsentNameReturnsNullAndLeavesTheSizeAlone)
{
    enterTempDir();
    writeFile("data.vfile", packedRecord("data/a.txt", "alpha"));
    unsigned size = 4242;
    testing::internal::CaptureStdout();
    EXPECT_EQ(vlm_io_uncompress("data/zzz.txt", &size), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File data/zzz.txt not found compressed.\n");
    EXPECT_EQ(size, 4242u);
}

TEST(PackedFile, CacheGrowsPastItsFirst2048Entries)
{
    enterTempDir();
    std::string image;
    char name[32];
    for (int i = 0; i < 2100; i++) {
        snprintf(name, sizeof name, "<%05d>", i);
        image += packedRecord(name, std::string("file ") + name);
    }
    writeFile("data.vfile", image);
    int before = vlm_io_cacheCount();
    unsigned size;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 2100; i++) {
        snprintf(name, sizeof name, "<%05d>", i);
        free(vlm_io_uncompress(name, &size));
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(vlm_io_cacheCount(), before + 2100);
    unlink("data.vfile");
    for (int i : {0, 2047, 2048, 2099}) {
        snprintf(name, sizeof name, "<%05d>", i);
        char *data = vlm_io_uncompress(name, &size);
        ASSERT_TRUE(data) << name;
        EXPECT_EQ(std::string(data, size), std::string("file ") + name);
        free(data);
    }
}

TEST(LineReader, ReadsLinesLikeGetline)
{
    enterTempDir();
    writeFile("lines.txt", "first\n\nthird line without newline");
    FILE *f = fopen("lines.txt", "r");
    char *line = nullptr;
    size_t capacity = 0;
    EXPECT_EQ(vlm_io_getline(&line, &capacity, f), 6);
    EXPECT_STREQ(line, "first\n");
    EXPECT_EQ(vlm_io_getline(&line, &capacity, f), 1);
    EXPECT_EQ(vlm_io_getline(&line, &capacity, f), 26);
    EXPECT_STREQ(line, "third line without newline");
    EXPECT_EQ(vlm_io_getline(&line, &capacity, f), -1);
    EXPECT_GE(capacity, 27u);
    free(line);
    fclose(f);
}

// ------------------------------------------------------------------ the packer

static int runTool(const std::string &arguments, const std::string &input, std::string *errors)
{
    writeFile("list.txt", input);
    std::string command = std::string(VLM_TOOLS_DIR) + "/vfile " + arguments +
                          " < list.txt > out.txt 2> err.txt";
    int status = system(command.c_str());
    if (errors) *errors = readFile("err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Bytes that deflate cannot shrink, so they are stored as they are inside the zlib stream.
static std::string incompressible(unsigned seed, size_t length, const std::string &embedded)
{
    std::string bytes;
    for (size_t i = 0; i < length; i++) {
        seed = seed * 1103515245u + 12345u;
        bytes += (char)(seed >> 23);
    }
    return bytes.replace(length / 2, embedded.size(), embedded);
}

TEST(Packer, EveryNameIsFoundAtItsOwnRecordAndTheBytesAreDeterministic)
{
    enterTempDir();
    mkdir("data", 0755);
    mkdir("data/shader", 0755);
    mkdir("shader", 0755);
    std::vector<std::pair<std::string, std::string>> files = {
        {"data/shader/post.frag", "void main() { gl_FragColor = vec4(1.0); }\n"},
        {"shader/post.frag", "the tail of another name"},
        {"post.frag", "shortest"},
        {"data/shader/noise.bin", incompressible(7, 3000, "data/shader/z.vert")},
        {"data/shader/z.vert", "mentioned inside stored data of noise.bin"},
        {"data/shader/empty.vert", ""},
    };
    std::string list;
    for (auto &f : files) {
        writeFile(f.first, f.second);
        list += f.first + "\n";
    }
    list += "post.frag\n";  // listed twice: packed once
    ASSERT_EQ(runTool("pack data.vfile", list, nullptr), 0);
    std::string image = readFile("data.vfile");
    for (auto &f : files) {
        VlmRecordResult r = parseExact(image, f.first.c_str());
        ASSERT_TRUE(r.ok && r.found) << f.first;
        EXPECT_EQ(text(r), f.second) << f.first;
    }
    EXPECT_EQ(runTool("check data.vfile", "", nullptr), 0);
    std::string listing = readFile("out.txt");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), (long)files.size());
    EXPECT_EQ(listing.find("FAILED"), std::string::npos);
    ASSERT_EQ(runTool("pack again.vfile", list, nullptr), 0);
    EXPECT_EQ(readFile("again.vfile"), image);
}

TEST(Packer, RefusesNamesThatOccurInsideOneAnothersRecords)
{
    enterTempDir();
    writeFile("one.bin", incompressible(1, 2000, "two.bin"));
    writeFile("two.bin", incompressible(2, 2000, "one.bin"));
    writeFile("free.txt", "no trouble");
    std::string errors;
    EXPECT_NE(runTool("pack data.vfile", "one.bin\ntwo.bin\nfree.txt\n", &errors), 0);
    EXPECT_NE(errors.find("one.bin occurs in the record of two.bin"), std::string::npos) << errors;
    EXPECT_NE(errors.find("two.bin occurs in the record of one.bin"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("free.txt"), std::string::npos) << errors;
    EXPECT_NE(access("data.vfile", F_OK), 0);
}

// A header that exactly fills the reader's 128-byte window is packed and read back; one byte
// more is refused, as is a file that is not there.
TEST(Packer, HeadersUpTo128BytesRoundTripAndLongerOnesAreRefused)
{
    enterTempDir();
    std::string sizes = packedRecord("", "abc");  // "[3][N]" and the stream
    sizes = sizes.substr(0, sizes.find(']', 3) + 1);
    for (size_t header : {VLM_IO_HEADER_WINDOW, VLM_IO_HEADER_WINDOW + 1}) {
        std::string name(header - sizes.size(), 'L'), errors;
        writeFile(name, "abc");
        int status = runTool("pack data.vfile", name + "\n", &errors);
        if (header > VLM_IO_HEADER_WINDOW) {
            EXPECT_NE(status, 0);
            EXPECT_NE(errors.find(name + ": name and sizes do not fit the 128-byte record header"),
                      std::string::npos) << errors;
            continue;
        }
        ASSERT_EQ(status, 0) << errors;
        std::string image = readFile("data.vfile");
        EXPECT_EQ(image.find('['), header - sizes.size());
        VlmRecordResult r = parseExact(image, name.c_str());
        EXPECT_TRUE(r.ok && r.found) << r.messages;
        EXPECT_EQ(text(r), "abc");
        EXPECT_EQ(runTool("check data.vfile", "", nullptr), 0);
    }
    std::string errors;
    EXPECT_NE(runTool("pack data.vfile", "nowhere.txt\n", &errors), 0);
    EXPECT_NE(errors.find("nowhere.txt"), std::string::npos) << errors;
}

TEST(Packer, CheckFailsOnADamagedFileOrAFileChangedSincePacking)
{
    enterTempDir();
    writeFile("a.txt", std::string(500, 'a') + "tail");
    ASSERT_EQ(runTool("pack data.vfile", "a.txt\n", nullptr), 0);
    writeFile("a.txt", std::string(500, 'a') + "tall");
    EXPECT_NE(runTool("check data.vfile", "", nullptr), 0);
    writeFile("a.txt", std::string(500, 'a') + "tail");
    EXPECT_EQ(runTool("check data.vfile", "", nullptr), 0);
    std::string image = readFile("data.vfile");
    image[image.size() - 3] ^= 0x55;
    writeFile("data.vfile", image);
    EXPECT_NE(runTool("check data.vfile", "", nullptr), 0);
}
