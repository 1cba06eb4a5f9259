#include "twutility.h"

#include "platform/platform.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

static const char SourceName[] = "twutility/twutility";

const char ProductName[] = "Quillomar";

void Log_Printf(const char *, ...) {}

void Assert(const char *expression, const char *file, int line)
{
    if (expression == nullptr || file == nullptr)
    {
        Log_Printf("Assert() param error.\n");
        exit(1);
    }
    char message[1024];
    snprintf(message, sizeof(message), "%s (%d) Assert: %s\n", file, line, expression);
    Assert_Response(message);
}

void Assert_Response(const char *message)
{
    if (message == nullptr)
    {
        Log_Printf("Assert_Response() param error.\n");
    }
    else
    {
        Log_Printf("%s", message);
        Platform::Failure_Beep();
        Platform::Break_Into_Debugger();
    }
    // The normal exit runs static destructors, so settings objects close cleanly.
    exit(1);
}

void Exit_If_Failed(int value, int failure_value, const char *function_name)
{
    TW_ASSERT(function_name != NULL);
    if (value != failure_value)
        return;
    char message[500];
    snprintf(message, sizeof(message), "%s failed.", function_name);
    Platform::Show_Error_Box(ProductName, message);
    exit(1);
}
