// POSIX settings store: the per-user keys and typed values of the Win32 registry, kept in one
// text file, $XDG_CONFIG_HOME/quillomar/settings (else ~/.config/quillomar/settings):
//
//   Quillomar settings 1
//   [Software]
//   [Software\Tarnwick]
//   [Software\Tarnwick\Quillomar]
//   "ShowFramerate"=dword:00000001
//   "Caption"="Bananas in \"space\""
//   "Picture"=hex:01,02,03
//   "Other"=hex(7):41,00,00
//
// A key line holds the key's path (printable ASCII, parts of 1 to 255 characters). Value names
// and texts are quoted, with \\, \" and \xHH for bytes outside printable ASCII. A number is
// "dword:" only when it has 4 bytes, and a text is quoted only when it ends in its one zero;
// any other bytes are written as a hex list, so every value reads back exactly as stored.
// Blank lines and lines starting with ';' are ignored; anything else that does not parse makes
// the whole file damaged.
//
// Every change rewrites the file: a temporary file beside it, flushed to disk, then renamed over
// it, so a crash leaves the old or the new file, never a part. Changes hold an exclusive lock
// on the directory, so two processes never lose each other's writes. Readers take no lock.
// A damaged or unreadable file is renamed to settings.damaged (then .damaged.2, ...) by the
// next change, which starts a new file.
#include "platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Platform
{

// A key handle: the key's full path. The root's path is empty.
class CSettingsKey
{
public:
    char Path[1024];
};

} // namespace Platform

namespace
{

using Platform::CSettingsKey;

const char FileHeader[] = "Quillomar settings 1";
const size_t MaxKeyPartLength = 255;       // characters, as in the registry
const size_t MaxValueNameLength = 16383;   // characters, as in the registry
const size_t MaxValueSize = 1 << 20;       // bytes
const off_t MaxFileSize = off_t(16) << 20; // bytes; a larger file counts as damaged
const int MaxDamagedCopies = 100;

// Zero-initialised before any dynamic initialisation: usable by static constructors.
CSettingsKey RootKey;

class CStoredValue
{
public:
    std::string Name;
    uint32_t Type;
    std::string Bytes;
};

class CStoredKey
{
public:
    std::string Path;
    std::vector<CStoredValue> Values;
};

typedef std::vector<CStoredKey> CStore; // keys in file order, each after its parents

class CStorePaths
{
public:
    std::string Directory;
    std::string File;
    std::string Temporary;
};

// The XDG base directory rules: an unset, empty or relative XDG_CONFIG_HOME means ~/.config.
long Locate_Store(CStorePaths *paths)
{
    std::string base;
    const char *config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
    {
        base = config;
    }
    else
    {
        const char *home = getenv("HOME");
        std::string home_path;
        if (home != nullptr && home[0] == '/')
        {
            home_path = home;
        }
        else
        {
            passwd entry;
            passwd *found = nullptr;
            char buffer[4096];
            if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &found) != 0 ||
                found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
                return ENOENT;
            home_path = found->pw_dir;
        }
        base = home_path + "/.config";
    }
    paths->Directory = base + "/quillomar";
    paths->File = paths->Directory + "/settings";
    paths->Temporary = paths->Directory + "/settings.tmp";
    return 0;
}

// mkdir -p, private to the user as the XDG rules ask.
long Make_Directories(const std::string &directory)
{
    for (size_t slash = 1; slash != std::string::npos;)
    {
        slash = directory.find('/', slash + 1);
        const std::string part = directory.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat status;
    if (stat(directory.c_str(), &status) != 0)
        return errno;
    return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

bool Is_Printable(unsigned char c)
{
    return c >= 0x20 && c <= 0x7e;
}

// A key path: parts of 1 to 255 printable characters between single backslashes.
bool Valid_Key_Path(const std::string &path)
{
    size_t part_length = 0;
    for (size_t i = 0; i < path.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c == '\\')
        {
            if (part_length == 0)
                return false;
            part_length = 0;
        }
        else if (!Is_Printable(c) || ++part_length > MaxKeyPartLength)
        {
            return false;
        }
    }
    return part_length > 0;
}

bool Same_Name(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

CStoredKey *Find_Key(CStore &store, const std::string &path)
{
    for (CStoredKey &key : store)
        if (Same_Name(key.Path, path))
            return &key;
    return nullptr;
}

CStoredValue *Find_Value(CStoredKey &key, const std::string &name)
{
    for (CStoredValue &value : key.Values)
        if (Same_Name(value.Name, name))
            return &value;
    return nullptr;
}

// The key and every missing key above it; true when one had to be added.
bool Ensure_Key(CStore &store, const std::string &path, CStoredKey **key)
{
    bool added = false;
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1))
    {
        const std::string part = path.substr(0, end);
        if (Find_Key(store, part) == nullptr)
        {
            store.push_back(CStoredKey{part, {}});
            added = true;
        }
        if (end == std::string::npos)
            break;
    }
    *key = Find_Key(store, path);
    return added;
}

// Writing ------------------------------------------------------------------------------------

void Append_Quoted(std::string *out, const std::string &bytes)
{
    static const char hex[] = "0123456789abcdef";
    out->push_back('"');
    for (const char byte : bytes)
    {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c == '\\' || c == '"')
        {
            out->push_back('\\');
            out->push_back(char(c));
        }
        else if (Is_Printable(c))
        {
            out->push_back(char(c));
        }
        else
        {
            const char escape[4] = {'\\', 'x', hex[c >> 4], hex[c & 15]};
            out->append(escape, 4);
        }
    }
    out->push_back('"');
}

void Append_Value(std::string *out, const CStoredValue &value)
{
    Append_Quoted(out, value.Name);
    out->push_back('=');
    const std::string &bytes = value.Bytes;
    char text[32];
    if (value.Type == Platform::SETTING_NUMBER && bytes.size() == 4)
    {
        const unsigned char *b = reinterpret_cast<const unsigned char *>(bytes.data());
        snprintf(text, sizeof(text), "dword:%02x%02x%02x%02x", b[3], b[2], b[1], b[0]);
        out->append(text);
    }
    else if (value.Type == Platform::SETTING_TEXT && !bytes.empty() &&
             bytes.find('\0') == bytes.size() - 1)
    {
        Append_Quoted(out, bytes.substr(0, bytes.size() - 1));
    }
    else
    {
        if (value.Type == Platform::SETTING_BINARY)
            snprintf(text, sizeof(text), "hex:");
        else
            snprintf(text, sizeof(text), "hex(%u):", unsigned(value.Type));
        out->append(text);
        for (size_t i = 0; i < bytes.size(); ++i)
        {
            snprintf(text, sizeof(text), i == 0 ? "%02x" : ",%02x",
                     unsigned(static_cast<unsigned char>(bytes[i])));
            out->append(text);
        }
    }
    out->push_back('\n');
}

std::string Serialize(const CStore &store)
{
    std::string out = std::string(FileHeader) + "\n";
    for (const CStoredKey &key : store)
    {
        out += "[" + key.Path + "]\n";
        for (const CStoredValue &value : key.Values)
            Append_Value(&out, value);
    }
    return out;
}

long Write_All(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += size_t(written);
    }
    return 0;
}

long Save_Store(const CStorePaths &paths, int directory_fd, const CStore &store)
{
    const int fd =
        open(paths.Temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    long result = Write_All(fd, Serialize(store));
    if (result == 0 && fsync(fd) != 0)
        result = errno;
    if (close(fd) != 0 && result == 0)
        result = errno;
    if (result == 0 && rename(paths.Temporary.c_str(), paths.File.c_str()) != 0)
        result = errno;
    if (result != 0)
    {
        unlink(paths.Temporary.c_str());
        return result;
    }
    // The rename itself reaches the disk only with its directory.
    fsync(directory_fd);
    return 0;
}

// Reading ------------------------------------------------------------------------------------

const long DAMAGED = EBADMSG;

int Hex_Digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A quoted string at *pos; on success *pos is just past its closing quote.
bool Parse_Quoted(const std::string &line, size_t *pos, std::string *out)
{
    size_t i = *pos;
    if (i >= line.size() || line[i] != '"')
        return false;
    out->clear();
    for (++i; i < line.size(); ++i)
    {
        const char c = line[i];
        if (c == '"')
        {
            *pos = i + 1;
            return true;
        }
        if (c != '\\')
        {
            if (!Is_Printable(static_cast<unsigned char>(c)))
                return false;
            out->push_back(c);
            continue;
        }
        if (++i >= line.size())
            return false;
        if (line[i] == '\\' || line[i] == '"')
        {
            out->push_back(line[i]);
        }
        else if (line[i] == 'x' && i + 2 < line.size() && Hex_Digit(line[i + 1]) >= 0 &&
                 Hex_Digit(line[i + 2]) >= 0)
        {
            out->push_back(char(Hex_Digit(line[i + 1]) * 16 + Hex_Digit(line[i + 2])));
            i += 2;
        }
        else
        {
            return false;
        }
    }
    return false;
}

// Two-digit hex bytes separated by commas, to the end of the line; none is an empty value.
bool Parse_Hex_List(const std::string &line, size_t pos, std::string *out)
{
    out->clear();
    if (pos == line.size())
        return true;
    for (;;)
    {
        if (pos + 2 > line.size() || Hex_Digit(line[pos]) < 0 || Hex_Digit(line[pos + 1]) < 0)
            return false;
        out->push_back(char(Hex_Digit(line[pos]) * 16 + Hex_Digit(line[pos + 1])));
        pos += 2;
        if (pos == line.size())
            return out->size() <= MaxValueSize;
        if (line[pos] != ',')
            return false;
        ++pos;
    }
}

bool Starts_With(const std::string &line, size_t pos, const char *prefix)
{
    return line.compare(pos, strlen(prefix), prefix) == 0;
}

bool Parse_Value(const std::string &line, CStoredValue *value)
{
    size_t pos = 0;
    if (!Parse_Quoted(line, &pos, &value->Name) || value->Name.empty() ||
        value->Name.size() > MaxValueNameLength || value->Name.find('\0') != std::string::npos)
        return false;
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    if (Starts_With(line, pos, "dword:"))
    {
        pos += 6;
        if (line.size() - pos != 8)
            return false;
        uint32_t number = 0;
        for (; pos < line.size(); ++pos)
        {
            const int digit = Hex_Digit(line[pos]);
            if (digit < 0)
                return false;
            number = number << 4 | uint32_t(digit);
        }
        value->Type = Platform::SETTING_NUMBER;
        const char bytes[4] = {char(number), char(number >> 8), char(number >> 16),
                               char(number >> 24)};
        value->Bytes.assign(bytes, 4);
        return true;
    }
    if (line.compare(pos, 1, "\"") == 0)
    {
        if (!Parse_Quoted(line, &pos, &value->Bytes) || pos != line.size() ||
            value->Bytes.size() >= MaxValueSize)
            return false;
        value->Type = Platform::SETTING_TEXT;
        value->Bytes.push_back('\0');
        return true;
    }
    if (Starts_With(line, pos, "hex:"))
    {
        value->Type = Platform::SETTING_BINARY;
        return Parse_Hex_List(line, pos + 4, &value->Bytes);
    }
    if (Starts_With(line, pos, "hex("))
    {
        pos += 4;
        const size_t close = line.find("):", pos);
        if (close == std::string::npos || close == pos || close - pos > 10)
            return false;
        unsigned long long type = 0;
        for (; pos < close; ++pos)
        {
            if (line[pos] < '0' || line[pos] > '9')
                return false;
            type = type * 10 + unsigned(line[pos] - '0');
        }
        if (type > 0xFFFFFFFFull)
            return false;
        value->Type = uint32_t(type);
        return Parse_Hex_List(line, close + 2, &value->Bytes);
    }
    return false;
}

long Parse_Store(const std::string &text, CStore *store)
{
    store->clear();
    CStoredKey *current = nullptr;
    bool header_seen = false;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!header_seen)
        {
            if (line != FileHeader)
                return DAMAGED;
            header_seen = true;
            continue;
        }
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[')
        {
            if (line.back() != ']')
                return DAMAGED;
            const std::string path = line.substr(1, line.size() - 2);
            if (!Valid_Key_Path(path))
                return DAMAGED;
            // A key's parents exist, listed or not, as in the registry.
            Ensure_Key(*store, path, &current);
            continue;
        }
        CStoredValue value;
        if (current == nullptr || !Parse_Value(line, &value))
            return DAMAGED;
        CStoredValue *existing = Find_Value(*current, value.Name);
        if (existing != nullptr)
            *existing = value; // a later line wins, as a hand edit would expect
        else
            current->Values.push_back(value);
    }
    return header_seen ? 0 : DAMAGED;
}

// 0 with the store (empty when there is no file yet), or an error: DAMAGED when the file is
// not a settings file, the system's error code when it cannot be read.
long Load_Store(const CStorePaths &paths, CStore *store)
{
    store->clear();
    // Non-blocking, so that a FIFO put in the file's place cannot hang the program.
    const int fd = open(paths.File.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? 0 : errno;
    struct stat status;
    long result = 0;
    std::string text;
    if (fstat(fd, &status) != 0)
        result = errno;
    else if (!S_ISREG(status.st_mode) || status.st_size > MaxFileSize)
        result = DAMAGED;
    else
    {
        char buffer[65536];
        for (;;)
        {
            const ssize_t got = read(fd, buffer, sizeof(buffer));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
            {
                result = errno;
                break;
            }
            if (got == 0)
                break;
            text.append(buffer, size_t(got));
            if (text.size() > size_t(MaxFileSize))
            {
                result = DAMAGED;
                break;
            }
        }
    }
    close(fd);
    if (result != 0)
        return result;
    return Parse_Store(text, store);
}

bool Exists(const std::string &path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

// Keeps the unreadable file for the user under the first free name.
long Move_Aside(const CStorePaths &paths)
{
    std::string target;
    for (int copy = 1; copy <= MaxDamagedCopies; ++copy)
    {
        target = paths.File + ".damaged";
        if (copy > 1)
            target += "." + std::to_string(copy);
        if (!Exists(target))
            break;
    }
    // With every name taken, the newest damaged file replaces the last copy.
    if (rename(paths.File.c_str(), target.c_str()) != 0)
        return errno;
    return 0;
}

// Errors of Load_Store that say the file itself cannot be read as a settings file.
bool Is_Unreadable_File(long error)
{
    return error == DAMAGED || error == EACCES || error == EPERM || error == EISDIR ||
           error == ELOOP || error == EIO || error == ENXIO || error == EOVERFLOW;
}

// Holds the directory's exclusive lock for one change of the store.
class CStoreLock
{
public:
    int DirectoryFd = -1;

    long Acquire(const std::string &directory)
    {
        DirectoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DirectoryFd < 0)
            return errno;
        // A file system without locks still gets atomic replacement, only not serialised.
        while (flock(DirectoryFd, LOCK_EX) != 0 && errno == EINTR)
        {
        }
        return 0;
    }

    ~CStoreLock()
    {
        if (DirectoryFd >= 0)
            close(DirectoryFd); // releases the lock
    }
};

// One change: load under the lock (moving a damaged file aside), apply, save if it changed.
template <typename Change>
long Change_Store(Change change)
{
    CStorePaths paths;
    long result = Locate_Store(&paths);
    if (result == 0)
        result = Make_Directories(paths.Directory);
    if (result != 0)
        return result;
    CStoreLock lock;
    result = lock.Acquire(paths.Directory);
    if (result != 0)
        return result;
    CStore store;
    result = Load_Store(paths, &store);
    if (result != 0)
    {
        // A passing shortage (of file handles, of memory) is no reason to set the file aside.
        if (!Is_Unreadable_File(result))
            return result;
        result = Move_Aside(paths);
        if (result != 0)
            return result;
        store.clear();
    }
    bool changed = false;
    result = change(store, &changed);
    if (result != 0 || !changed)
        return result;
    return Save_Store(paths, lock.DirectoryFd, store);
}

} // namespace

namespace Platform
{

CSettingsKey *User_Settings_Root()
{
    return &RootKey;
}

long Create_Settings_Key(CSettingsKey *parent_key, const char *subkey_name, CSettingsKey **key)
{
    if (key == nullptr)
        return EINVAL;
    *key = nullptr;
    if (parent_key == nullptr || subkey_name == nullptr)
        return EINVAL;
    std::string path = parent_key->Path;
    if (subkey_name[0] != '\0')
        path += (path.empty() ? "" : "\\") + std::string(subkey_name);
    if (path.size() >= sizeof(RootKey.Path))
        return ENAMETOOLONG;
    if (!path.empty())
    {
        if (!Valid_Key_Path(path))
            return EINVAL;
        const long result = Change_Store(
            [&path](CStore &store, bool *changed)
            {
                CStoredKey *created = nullptr;
                *changed = Ensure_Key(store, path, &created);
                return 0L;
            });
        if (result != 0)
            return result;
    }
    CSettingsKey *opened = new CSettingsKey;
    snprintf(opened->Path, sizeof(opened->Path), "%s", path.c_str());
    *key = opened;
    return 0;
}

void Close_Settings_Key(CSettingsKey *key)
{
    if (key != &RootKey)
        delete key;
}

long Read_Setting(CSettingsKey *key, const char *name, uint32_t *type, void *data, uint32_t *size)
{
    if (key == nullptr || name == nullptr || type == nullptr || size == nullptr ||
        (data == nullptr && *size > 0))
        return EINVAL;
    CStorePaths paths;
    long result = Locate_Store(&paths);
    CStore store;
    if (result == 0)
        result = Load_Store(paths, &store);
    if (result != 0)
        return result;
    CStoredKey *stored_key = Find_Key(store, key->Path);
    CStoredValue *value = stored_key != nullptr ? Find_Value(*stored_key, name) : nullptr;
    if (value == nullptr)
        return ENOENT;
    *type = value->Type;
    const uint32_t stored_size = uint32_t(value->Bytes.size());
    if (stored_size > *size)
    {
        *size = stored_size;
        return EMSGSIZE;
    }
    if (stored_size > 0)
        memcpy(data, value->Bytes.data(), stored_size);
    *size = stored_size;
    return 0;
}

long Write_Setting(CSettingsKey *key, const char *name, uint32_t type, const void *data,
                   uint32_t size)
{
    if (key == nullptr || name == nullptr || (data == nullptr && size > 0))
        return EINVAL;
    // Values live in keys; the root holds none.
    const size_t name_length = strlen(name);
    if (key->Path[0] == '\0' || name_length == 0 || name_length > MaxValueNameLength)
        return EINVAL;
    if (size > MaxValueSize)
        return EMSGSIZE;
    const std::string path = key->Path;
    const CStoredValue wanted{name, type,
                              std::string(static_cast<const char *>(data), size_t(size))};
    return Change_Store(
        [&](CStore &store, bool *changed)
        {
            CStoredKey *stored_key = nullptr;
            *changed = Ensure_Key(store, path, &stored_key);
            CStoredValue *value = Find_Value(*stored_key, wanted.Name);
            if (value == nullptr)
            {
                stored_key->Values.push_back(wanted);
                *changed = true;
            }
            else if (value->Type != wanted.Type || value->Bytes != wanted.Bytes)
            {
                value->Type = wanted.Type;
                value->Bytes = wanted.Bytes;
                *changed = true;
            }
            return 0L;
        });
}

} // namespace Platform
