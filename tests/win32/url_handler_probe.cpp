// Stands in for a browser: the program the shell starts for a URL scheme the tests redirect. It
// writes the command line it was given to the file named in QUILLOMAR_URL_HANDLER_OUTPUT.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    const char *output = getenv("QUILLOMAR_URL_HANDLER_OUTPUT");
    FILE *file = output != NULL ? fopen(output, "wb") : NULL;
    if (file == NULL)
        return 2;
    fputs(GetCommandLineA(), file);
    return fclose(file);
}
