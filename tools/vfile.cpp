// vfile: writes, lists and checks packed data files.
//   vfile pack OUT < paths   packs the files named one per line on stdin (paths as the demo
//                            asks for them, relative to the working directory) into OUT
//   vfile list FILE          prints each record: offset, name, plain and compressed bytes
//   vfile check FILE         reads every record back through the reader's own search
// Records are ordered so that the first occurrence of every name in the file is its own
// record (the reader finds a record by searching for its name); when no order does that,
// the colliding names are printed and the exit status is 1. Output bytes are deterministic.
// Its messages name it as it was run (installed, it is vlm-vfile).
#include "io.h"
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// The name it runs as (vfile in a build tree, vlm-vfile installed), first word of its messages.
static const char *PROGRAM = "vfile";

// One file to pack: its name as asked for and its record's bytes.
struct Entry {
    std::string name;
    Bytes record;  // header text + zlib stream
};

static bool readFile(const std::string &path, Bytes *out)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return false;
    fseek(file, 0, SEEK_END);
    long length = ftell(file);
    fseek(file, 0, SEEK_SET);
    out->resize(length > 0 ? (size_t)length : 0);
    bool ok = length >= 0 && fread(out->data(), 1, out->size(), file) == out->size();
    fclose(file);
    return ok;
}

static bool makeRecord(Entry *entry, std::string *error)
{
    Bytes plain;
    if (!readFile(entry->name, &plain)) {
        *error = "cannot read " + entry->name;
        return false;
    }
    uLongf packedSize = compressBound(plain.size());
    Bytes packed(packedSize);
    if (compress(packed.data(), &packedSize, plain.data(), plain.size()) != Z_OK) {
        *error = "cannot compress " + entry->name;
        return false;
    }
    packed.resize(packedSize);
    std::string header = vlm_io_recordHeader(entry->name.c_str(), plain.size(), packed.size());
    if (header.size() > VLM_IO_HEADER_WINDOW || plain.size() > 0x7fffffffu) {
        *error = entry->name + ": name and sizes do not fit the 128-byte record header";
        return false;
    }
    entry->record.assign(header.begin(), header.end());
    entry->record.insert(entry->record.end(), packed.begin(), packed.end());
    return true;
}

// ------------------------------------------------------------------ ordering

// mustPrecede[r]: the entries whose names occur in record r, so they go before it.
typedef std::vector<std::set<int>> Constraints;

static bool containsName(const Bytes &bytes, const std::string &name)
{
    return vlm_io_findName(bytes.data(), bytes.size(), name.c_str()) >= 0;
}

// A name found inside another record must be placed before that record.
static Constraints pairwiseConstraints(const std::vector<Entry> &entries)
{
    Constraints mustPrecede(entries.size());
    for (size_t n = 0; n < entries.size(); n++)
        for (size_t r = 0; r < entries.size(); r++)
            if (n != r && containsName(entries[r].record, entries[n].name))
                mustPrecede[r].insert((int)n);
    return mustPrecede;
}

// Topological order; among ready entries the earliest in the input goes first.
// Returns false when the constraints form a cycle; `stuck` gets the entries left over.
static bool orderEntries(const Constraints &mustPrecede, std::vector<int> *order,
                         std::vector<int> *stuck)
{
    size_t count = mustPrecede.size();
    std::vector<bool> placed(count, false);
    order->clear();
    while (order->size() < count) {
        int next = -1;
        for (size_t i = 0; i < count && next < 0; i++) {
            if (placed[i]) continue;
            bool ready = true;
            for (int p : mustPrecede[i]) ready = ready && placed[p];
            if (ready) next = (int)i;
        }
        if (next < 0) {
            stuck->clear();
            for (size_t i = 0; i < count; i++)
                if (!placed[i]) stuck->push_back((int)i);
            return false;
        }
        placed[next] = true;
        order->push_back(next);
    }
    return true;
}

static Bytes assemble(const std::vector<Entry> &entries, const std::vector<int> &order,
                      std::vector<size_t> *offsets)
{
    Bytes image;
    offsets->assign(entries.size(), 0);
    for (int i : order) {
        (*offsets)[i] = image.size();
        image.insert(image.end(), entries[i].record.begin(), entries[i].record.end());
    }
    return image;
}

// The first entry whose name is found before its own record, or -1; `holder` gets the
// entry whose record holds that earlier occurrence (it may also straddle into the next).
static int firstMisplaced(const std::vector<Entry> &entries, const std::vector<int> &order,
                          const Bytes &image, const std::vector<size_t> &offsets, int *holder)
{
    for (size_t i = 0; i < entries.size(); i++) {
        long at = vlm_io_findName(image.data(), image.size(), entries[i].name.c_str());
        if (at == (long)offsets[i]) continue;
        for (int r : order)
            if (offsets[r] <= (size_t)at && (size_t)at < offsets[r] + entries[r].record.size())
                *holder = r;
        return (int)i;
    }
    return -1;
}

static int reportCollision(const std::vector<Entry> &entries, const Constraints &mustPrecede,
                           const std::vector<int> &stuck)
{
    fprintf(stderr, "%s: no record order lets every name be found at its own record:\n", PROGRAM);
    std::set<int> left(stuck.begin(), stuck.end());
    for (int r : stuck)
        for (int n : mustPrecede[r])
            if (left.count(n))
                fprintf(stderr, "  %s occurs in the record of %s\n", entries[n].name.c_str(),
                        entries[r].name.c_str());
    return 1;
}

static bool readNames(std::vector<std::string> *names)
{
    std::set<std::string> seen;
    char *line = nullptr;
    size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, stdin)) >= 0) {
        std::string name(line, (size_t)length);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        if (name.empty() || !seen.insert(name).second) continue;
        names->push_back(name);
    }
    free(line);
    return true;
}

static int pack(const char *outPath)
{
    std::vector<std::string> names;
    readNames(&names);
    std::vector<Entry> entries(names.size());
    for (size_t i = 0; i < names.size(); i++) {
        entries[i].name = names[i];
        std::string error;
        if (!makeRecord(&entries[i], &error)) {
            fprintf(stderr, "%s: %s\n", PROGRAM, error.c_str());
            return 1;
        }
    }
    Constraints mustPrecede = pairwiseConstraints(entries);
    std::vector<int> order, stuck;
    std::vector<size_t> offsets;
    Bytes image;
    // Occurrences across record boundaries only show in the assembled file: each one
    // found adds a constraint and the order is made again.
    for (;;) {
        if (!orderEntries(mustPrecede, &order, &stuck))
            return reportCollision(entries, mustPrecede, stuck);
        image = assemble(entries, order, &offsets);
        int holder = -1;
        int misplaced = firstMisplaced(entries, order, image, offsets, &holder);
        if (misplaced < 0) break;
        if (holder < 0 || mustPrecede[holder].count(misplaced)) {
            fprintf(stderr, "%s: %s is found before its own record\n", PROGRAM,
                    entries[misplaced].name.c_str());
            return 1;
        }
        mustPrecede[holder].insert(misplaced);
    }
    FILE *out = fopen(outPath, "wb");
    if (!out || fwrite(image.data(), 1, image.size(), out) != image.size() || fclose(out) != 0) {
        fprintf(stderr, "%s: cannot write %s\n", PROGRAM, outPath);
        return 1;
    }
    printf("%s: packed %zu files into %s (%zu bytes)\n", PROGRAM, entries.size(), outPath,
           image.size());
    return 0;
}

// ------------------------------------------------------------------ list and check

// One record as walked from the start of a file.
struct Listed {
    size_t offset;
    std::string name;
    int64_t plainSize, compressedSize;
};

// Walks the records one after another: the name is what precedes the first sizes text that
// the reader would accept within the record's header window.
static bool walkRecords(const Bytes &image, std::vector<Listed> *records)
{
    size_t offset = 0;
    while (offset < image.size()) {
        size_t windowEnd = std::min(image.size(), offset + VLM_IO_HEADER_WINDOW);
        bool found = false;
        for (size_t nameLength = 1; offset + nameLength < windowEnd && !found; nameLength++) {
            VlmRecordHeader header;
            if (!vlm_io_readRecordHeader(image.data(), image.size(), offset, nameLength, &header))
                continue;
            std::string name((const char *)image.data() + offset, nameLength);
            records->push_back({offset, name, header.plainSize, header.compressedSize});
            offset = header.dataOffset + (size_t)header.compressedSize;
            found = true;
        }
        if (!found) return false;
    }
    return true;
}

static int list(const char *path, bool check)
{
    Bytes image;
    std::vector<Listed> records;
    if (!readFile(path, &image)) {
        fprintf(stderr, "%s: cannot read %s\n", PROGRAM, path);
        return 1;
    }
    bool walked = walkRecords(image, &records);
    int failures = walked ? 0 : 1;
    for (const Listed &r : records) {
        printf("%10zu  %s  %" PRId64 " -> %" PRId64 " bytes", r.offset, r.name.c_str(),
               r.plainSize, r.compressedSize);
        if (check) {
            long at = vlm_io_findName(image.data(), image.size(), r.name.c_str());
            VlmRecordResult back = vlm_io_parseRecord(image.data(), image.size(), r.name.c_str());
            bool ok = at == (long)r.offset && back.ok && back.found &&
                      (int64_t)back.data.size() == r.plainSize;
            Bytes disk;
            if (ok && readFile(r.name, &disk)) ok = disk == back.data;
            printf("  %s", ok ? "ok" : "FAILED");
            failures += ok ? 0 : 1;
        }
        printf("\n");
    }
    if (!walked)
        fprintf(stderr, "%s: %s: unreadable record after the last one listed\n", PROGRAM, path);
    return failures ? 1 : 0;
}

int main(int argc, char **argv)
{
    if (argc > 0 && argv[0][0]) {
        const char *slash = strrchr(argv[0], '/');
        PROGRAM = slash ? slash + 1 : argv[0];
    }
    if (argc == 3 && strcmp(argv[1], "pack") == 0) return pack(argv[2]);
    if (argc == 3 && strcmp(argv[1], "list") == 0) return list(argv[2], false);
    if (argc == 3 && strcmp(argv[1], "check") == 0) return list(argv[2], true);
    fprintf(stderr, "usage: %s pack OUT < paths | %s list FILE | %s check FILE\n", PROGRAM, PROGRAM,
            PROGRAM);
    return 2;
}
