// The browser's side of the platform seam (Emscripten). The clocks count the saver's own time
// from the start (web_clock.h); the settings live in memory, so each page load begins with
// their initial values; the bitmaps are the ones compiled in.
#include "platform.h"
#include "web_clock.h"

#include "settings_text.h"

#include <emscripten.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

namespace Platform
{

namespace
{

// Milliseconds of emscripten_get_now: the start, moved on by every stop's length.
double StartMs = emscripten_get_now();
bool Stopped = false;
double StoppedAtMs = 0.0;
bool Stepped = false;
int64_t SteppedMicroseconds = 0;
uint32_t SteppedMilliseconds = 0;

double Running_Ms()
{
    return (Stopped ? StoppedAtMs : emscripten_get_now()) - StartMs;
}

} // namespace

void Stop_Clock()
{
    if (Stopped)
        return;
    Stopped = true;
    StoppedAtMs = emscripten_get_now();
}

void Start_Clock()
{
    if (!Stopped)
        return;
    Stopped = false;
    StartMs += emscripten_get_now() - StoppedAtMs;
}

void Set_Clock_Frame(long frame, double frames_per_second)
{
    Stepped = true;
    SteppedMicroseconds = std::llround(double(frame) * 1000000.0 / frames_per_second);
    SteppedMilliseconds = uint32_t(std::llround(double(frame) * 1000.0 / frames_per_second));
}

// Microseconds: emscripten_get_now is a double of milliseconds, finer than that in browsers
// that do not coarsen it.
bool Read_Counter(int64_t *count)
{
    *count = Stepped ? SteppedMicroseconds : int64_t(Running_Ms() * 1000.0);
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    *ticks_per_second = 1000000;
    return true;
}

uint32_t Milliseconds()
{
    return Stepped ? SteppedMilliseconds : uint32_t(uint64_t(Running_Ms()));
}

int Screen_Width()
{
    return EM_ASM_INT({ return Math.round(screen.width * (window.devicePixelRatio || 1)); });
}

int Screen_Height()
{
    return EM_ASM_INT({ return Math.round(screen.height * (window.devicePixelRatio || 1)); });
}

void Failure_Beep() {}

// A failed check says what failed in the console, where a page's errors go.
void Report_Failure(const char *text)
{
    EM_ASM({ console.error('quillomar: ' + UTF8ToString($0)); }, text);
}

// In the page itself, over the canvas, and in the console.
void Show_Error_Box(const char *caption, const char *message)
{
    EM_ASM(
        {
            var text = UTF8ToString($0) + ': ' + UTF8ToString($1);
            console.error(text);
            var box = document.getElementById('error');
            if (box)
            {
                box.textContent = text;
                box.hidden = false;
            }
        },
        caption, message);
}

// The debugger statement stops only where developer tools are open.
void Break_Into_Debugger()
{
    EM_ASM({ debugger; });
}

// Settings: the store of settings_text.h, in memory. A key handle holds its path.
class CSettingsKey
{
public:
    std::string Path;
};

static SettingsText::CStore &Store()
{
    // Constructed on first use: the options read it during static initialisation.
    static SettingsText::CStore store;
    return store;
}

CSettingsKey *User_Settings_Root()
{
    static CSettingsKey root;
    return &root;
}

long Create_Settings_Key(CSettingsKey *parent_key, const char *subkey_name, CSettingsKey **key)
{
    std::string path = parent_key->Path;
    if (subkey_name[0] != '\0')
        path += (path.empty() ? "" : "\\") + std::string(subkey_name);
    if (!path.empty() && !SettingsText::Valid_Key_Path(path))
        return EINVAL;
    SettingsText::CStoredKey *created = nullptr;
    if (!path.empty())
        SettingsText::Ensure_Key(Store(), path, &created);
    *key = new CSettingsKey{path};
    return 0;
}

void Close_Settings_Key(CSettingsKey *key)
{
    delete key;
}

long Read_Setting(CSettingsKey *key, const char *name, uint32_t *type, void *data, uint32_t *size)
{
    return SettingsText::Read_Value(Store(), key->Path, name, type, data, size);
}

bool Is_Missing_Setting(long error)
{
    return error == ENOENT || error == EMSGSIZE;
}

long Write_Setting(CSettingsKey *key, const char *name, uint32_t type, const void *data,
                   uint32_t size)
{
    SettingsText::CStoredKey *stored_key = nullptr;
    SettingsText::Ensure_Key(Store(), key->Path, &stored_key);
    if (stored_key == nullptr)
        return EINVAL;
    const std::string bytes(static_cast<const char *>(data), size);
    SettingsText::CStoredValue *value = SettingsText::Find_Value(*stored_key, name);
    if (value != nullptr)
    {
        value->Type = type;
        value->Bytes = bytes;
    }
    else
        stored_key->Values.push_back({name, type, bytes});
    return 0;
}

// System data for the start-up log header: a browser tells little.

bool Read_Memory_Status(CMemoryStatus *)
{
    return false;
}

int Processor_Count()
{
    return EM_ASM_INT({ return navigator.hardwareConcurrency || 1; });
}

bool Read_Os_Version(COsVersion *)
{
    return false;
}

bool Module_File_Name(char *path, size_t size)
{
    if (path != nullptr && size > 0)
        path[0] = '\0';
    return false;
}

bool Read_File_Size(const char *, uint64_t *)
{
    return false;
}

// A new tab or window, as a link with target _blank opens it.
bool Open_Url(const char *url, long *error_code)
{
    long ignored = 0;
    if (error_code == nullptr)
        error_code = &ignored;
    *error_code = 0;
    if (url == nullptr || url[0] == '\0')
    {
        *error_code = EINVAL;
        return false;
    }
    EM_ASM({ window.open(UTF8ToString($0), '_blank', 'noopener'); }, url);
    return true;
}

} // namespace Platform
