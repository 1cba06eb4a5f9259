// Makes a key below HKEY_CURRENT_USER volatile (emptied first): the registry then refuses to
// create any lasting key below it, which is how a test makes a settings key that cannot be
// created or written. Usage: volatile_key <subkey>. Exit status 0 when the key is volatile.
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        printf("usage: volatile_key <subkey>\n");
        return 2;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, argv[1]);
    RegDeleteKeyA(HKEY_CURRENT_USER, argv[1]);
    HKEY key = NULL;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, argv[1], 0, NULL, REG_OPTION_VOLATILE,
                                        KEY_ALL_ACCESS, NULL, &key, &disposition);
    if (result != ERROR_SUCCESS)
    {
        printf("volatile_key: error %ld\n", long(result));
        return 1;
    }
    // Proof: a lasting key below it is refused.
    HKEY child = NULL;
    const LONG child_result = RegCreateKeyExA(key, "Probe", 0, NULL, REG_OPTION_NON_VOLATILE,
                                              KEY_ALL_ACCESS, NULL, &child, &disposition);
    if (child_result == ERROR_SUCCESS)
    {
        RegCloseKey(child);
        RegDeleteKeyA(key, "Probe");
        RegCloseKey(key);
        printf("volatile_key: a lasting key below it was allowed\n");
        return 1;
    }
    RegCloseKey(key);
    printf("volatile_key: refuses lasting keys (error %ld)\n", long(child_result));
    return 0;
}
