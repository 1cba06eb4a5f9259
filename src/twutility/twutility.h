// Diagnostics shared by every module: the trace sink, the assertion handler and the fatal
// report of a failed set-up call.
#ifndef QUILLOMAR_TWUTILITY_H
#define QUILLOMAR_TWUTILITY_H

// Caption of the failure box, log header, mutex name, drawing-window class, preview title.
extern const char ProductName[];

// Accepts trace lines ("CRender::Init\n", "  data\n", "WARNING: ...") and discards them: the
// saver writes no log file and no console or debugger output.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void Log_Printf(const char *format, ...);

// Reports a broken precondition and ends the process with exit status 1 (the message to
// Platform::Report_Failure, beep, debugger break when one is attached, no window). The checks
// ship with the program.
[[noreturn]] void Assert(const char *expression, const char *file, int line);
[[noreturn]] void Assert_Response(const char *message);

// Returns when value differs from failure_value; otherwise shows "<function_name> failed." in a
// box captioned with the product name and, once dismissed, ends the process with status 1.
void Exit_If_Failed(int value, int failure_value, const char *function_name);

// Every source file that checks conditions names itself once: static const char SourceName[].
#define TW_ASSERT(condition) ((condition) ? (void)0 : Assert(#condition, SourceName, __LINE__))

// Whether a list of extension names separated by blanks (OpenGL's, WGL's) holds name as a
// whole name, not merely as the start of a longer one.
bool Has_Extension(const char *extensions, const char *name);

namespace Platform
{
class COsVersion;
}

// Start-up logging: the switch that the ReleaseLogging option sets (nothing reads it; the sink
// discards every line either way) and the header written when the saver or the configuration
// sheet starts: system, version, module and option data.
void Set_Release_Logging(bool enabled);
void Write_Log_Header();

class CUtility
{
public:
    static void Log_System_Data();
    static void Log_Os_Data(); // a system that cannot report its version is a broken precondition
    static void Log_Module_Data();

    // The name the version table gives a version record; nullptr when no name applies.
    static const char *Os_Version_Name(const Platform::COsVersion &version);

    // Hands url to the user's shell to open; nonzero when the shell accepted it. The program
    // that opens the URL runs on its own.
    static int Launch_Url(const char *url);
};

#endif
