// A URL scheme of the test's own whose program (url_handler_probe.exe, beside the test program)
// records the command line the shell gave it: what a browser would have been asked to open.
#ifndef QUILLOMAR_URL_SCHEME_H
#define QUILLOMAR_URL_SCHEME_H

#include <string>

class CRecordingUrlScheme
{
public:
    explicit CRecordingUrlScheme(const char *purpose); // registers "quillomar-<purpose>-<pid>"
    ~CRecordingUrlScheme();                            // and removes it again
    CRecordingUrlScheme(const CRecordingUrlScheme &) = delete;
    CRecordingUrlScheme &operator=(const CRecordingUrlScheme &) = delete;

    const std::string &Scheme() const { return Name; }
    // The recorded command line once the program has run (20 s at most), else empty.
    std::string Wait_For_Launch() const;
    // Whatever has been recorded so far, without waiting.
    std::string Recorded() const;

private:
    std::string Name;
    std::string Output; // file the program writes
};

#endif
