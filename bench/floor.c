/* The least work a program that flushes every line can do: it writes the
   bytes of a file given on the command line to standard output, one write
   call per line. The benchmark times the game against it. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    FILE* file = fopen(argv[1], "rb");
    if (file == NULL) {
        perror(argv[1]);
        return 1;
    }
    fseek(file, 0, SEEK_END);
    long size = ftell(file);
    rewind(file);
    char* text = malloc((size_t)size + 1);
    size_t read = text != NULL ? fread(text, 1, (size_t)size, file) : 0;
    fclose(file);
    if (read != (size_t)size) {
        perror(argv[1]);
        free(text);
        return 1;
    }

    const char* line = text;
    const char* end = text + size;
    while (line < end) {
        const char* newline = memchr(line, '\n', (size_t)(end - line));
        const char* next = newline != NULL ? newline + 1 : end;
        if (write(STDOUT_FILENO, line, (size_t)(next - line)) < 0) {
            perror("write");
            return 1;
        }
        line = next;
    }
    free(text);
    return 0;
}
