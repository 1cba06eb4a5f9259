// Stands in for a browser: the program the shell starts for the test's URL scheme. It writes
// the command line it was given to the file named in QUILLOMAR_URL_HANDLER_OUTPUT.
#include <windows.h>

#include <cstdio>

int main()
{
    char output[MAX_PATH];
    const DWORD length =
        GetEnvironmentVariableA("QUILLOMAR_URL_HANDLER_OUTPUT", output, sizeof(output));
    if (length == 0 || length >= sizeof(output))
        return 2;
    FILE *file = fopen(output, "wb");
    if (file == NULL)
        return 3;
    fputs(GetCommandLineA(), file);
    fclose(file);
    return 0;
}
