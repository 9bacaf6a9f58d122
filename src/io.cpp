// Packed data file reader (stub until the reader lands).
#include "io.h"
#include <stdlib.h>
char *vlm_io_uncompress(const char *, unsigned *) { return nullptr; }
ssize_t vlm_io_getline(char **line, size_t *capacity, FILE *stream) { return getline(line, capacity, stream); }
long vlm_io_findName(const unsigned char *, size_t, const char *) { return -1; }
VlmRecordResult vlm_io_parseRecord(const unsigned char *, size_t, const char *) { return {VLM_RECORD_ABSENT, "", {}}; }
std::string vlm_io_recordHeader(const char *, unsigned long, unsigned long) { return ""; }
int vlm_io_cacheCount(void) { return 0; }
