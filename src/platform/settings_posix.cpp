// POSIX settings store: the per-user keys and typed values of the Win32 registry, kept in one
// text file, $XDG_CONFIG_HOME/quillomar/settings (else ~/.config/quillomar/settings), whose text
// settings_text.h describes, reads and writes.
//
// Every change rewrites the file: a temporary file of its own beside it (settings.XXXXXX),
// flushed to disk, then renamed over it, so a crash leaves the old or the new file, never a
// part. Changes hold an exclusive lock on the directory, so two processes never lose each
// other's writes; a change that cannot take the lock is not made. The lock may not reach other
// machines sharing the directory (NFS), whose writers may lose each other's changes but, each
// with its own temporary file, never damage the file. Readers take no lock. A file that holds no
// settings (it does not parse, is too large or is no regular file) is renamed to
// settings.damaged (then .damaged.2, ...) by the next change, which starts a new file. A file
// that cannot be used (read for the moment, locked, written) stays as it is, and the process runs
// on with its settings in memory: a screen saver that ended over its settings file would leave a
// black screen.
#include "platform.h"
#include "settings_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string>
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
using SettingsText::CStore;
using SettingsText::CStoredKey;
using SettingsText::CStoredValue;
using SettingsText::DAMAGED;
using SettingsText::Ensure_Key;
using SettingsText::Find_Key;
using SettingsText::Find_Value;
using SettingsText::MaxFileSize;
using SettingsText::MaxValueNameLength;
using SettingsText::MaxValueSize;
using SettingsText::Parse_Store;
using SettingsText::Serialize;
using SettingsText::Valid_Key_Path;

const int MaxDamagedCopies = 100;

// Zero-initialised before any dynamic initialisation: usable by static constructors.
CSettingsKey RootKey;

// The settings of a process that gave its file up, beginning with none; null while the file is
// in use. Constant-initialised, as RootKey.
CStore *MemoryStore = nullptr;

class CStorePaths
{
public:
    std::string Directory;
    std::string File;
};

// The XDG base directory rules: an unset, empty or relative XDG_CONFIG_HOME means ~/.config.
long Locate_Store(CStorePaths *paths)
{
    long result = 0;
    std::string base;
    const char *config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
    {
        base = config;
    }
    else
    {
        const char *home = getenv("HOME");
        std::string home_path = "~"; // without a home: the file as the line giving it up names it
        if (home != nullptr && home[0] == '/')
        {
            home_path = home;
        }
        else
        {
            passwd entry;
            passwd *found = nullptr;
            char buffer[4096];
            if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &found) == 0 &&
                found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
                home_path = found->pw_dir;
            else
                result = ENOENT;
        }
        base = home_path + "/.config";
    }
    paths->Directory = base + "/quillomar";
    paths->File = paths->Directory + "/settings";
    return result;
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

// Writing ------------------------------------------------------------------------------------

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
    const std::string text = Serialize(store);
    // No reader would take it: the change is refused, so that every change made reads back.
    if (text.size() > MaxFileSize)
        return EFBIG;
    std::string temporary = paths.File + ".XXXXXX"; // mode 0600
    const int fd = mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0)
        return errno;
    long result = Write_All(fd, text);
    if (result == 0 && fsync(fd) != 0)
        result = errno;
    if (close(fd) != 0 && result == 0)
        result = errno;
    if (result == 0 && rename(temporary.c_str(), paths.File.c_str()) != 0)
        result = errno;
    if (result != 0)
    {
        unlink(temporary.c_str());
        return result;
    }
    // The rename itself reaches the disk only with its directory.
    fsync(directory_fd);
    return 0;
}

// Reading ------------------------------------------------------------------------------------

// 0 with the store (empty when there is no file yet), or an error: DAMAGED when the file is
// not a settings file, the system's error code when it cannot be read.
long Load_Store(const CStorePaths &paths, CStore *store)
{
    store->clear();
    // Non-blocking, so that a FIFO put in the file's place cannot hang the program.
    const int fd = open(paths.File.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
    {
        if (errno == ENOENT)
            return 0;
        // No regular file under the name (a socket, a device without a driver, a symbolic link
        // that loops), or one far too large.
        if (errno == ENXIO || errno == ELOOP || errno == EOVERFLOW || errno == EFBIG)
            return DAMAGED;
        return errno;
    }
    struct stat status;
    long result = 0;
    std::string text;
    if (fstat(fd, &status) != 0)
        result = errno;
    else if (!S_ISREG(status.st_mode) || status.st_size > off_t(MaxFileSize))
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
            if (text.size() > MaxFileSize)
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
        // Unserialised, two changes could each write back what it read and lose the other's.
        while (flock(DirectoryFd, LOCK_EX) != 0)
            if (errno != EINTR)
                return errno;
        return 0;
    }

    ~CStoreLock()
    {
        if (DirectoryFd >= 0)
            close(DirectoryFd); // releases the lock
    }
};

// The rest of the process runs on its settings in memory, and says so once. Nothing is written
// from then on: the file may still hold the user's settings.
void Give_Up_File(const CStorePaths &paths, long error)
{
    const std::string line = "cannot use " + paths.File + " (" + strerror(int(error)) +
                             "); running with the initial values";
    Platform::Report_Failure(line.c_str());
    MemoryStore = new CStore;
}

// One change of the file: load under the lock (moving a damaged file aside), apply, save if it
// changed.
template <typename Change>
long Change_File(CStorePaths *paths, Change change)
{
    long result = Locate_Store(paths);
    if (result == 0)
        result = Make_Directories(paths->Directory);
    if (result != 0)
        return result;
    CStoreLock lock;
    result = lock.Acquire(paths->Directory);
    if (result != 0)
        return result;
    CStore store;
    result = Load_Store(*paths, &store);
    if (result != 0)
    {
        // Only a file that holds no settings is set aside. A system error (EIO, EACCES, EMFILE,
        // ENOMEM, ...) says nothing of what the file holds, and may pass: a disk that fails a
        // read, a permission the user can give back, a shortage. Setting the file aside would
        // begin an empty one, from which this and every later start would read initial values,
        // so the user's settings would be lost for good where giving it up costs this run alone.
        if (result != DAMAGED)
            return result;
        result = Move_Aside(*paths);
        if (result != 0)
            return result;
        store.clear();
    }
    bool changed = false;
    result = change(store, &changed);
    if (result != 0 || !changed)
        return result;
    return Save_Store(*paths, lock.DirectoryFd, store);
}

// One change, of the file or, once that is given up, of the settings in memory.
template <typename Change>
long Change_Store(Change change)
{
    if (MemoryStore == nullptr)
    {
        CStorePaths paths;
        const long result = Change_File(&paths, change);
        if (result == 0)
            return 0;
        Give_Up_File(paths, result);
    }
    bool changed = false;
    return change(*MemoryStore, &changed);
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
    CStore store;
    CStore *source = MemoryStore;
    if (source == nullptr)
    {
        CStorePaths paths;
        long result = Locate_Store(&paths);
        if (result == 0)
            result = Load_Store(paths, &store);
        if (result == DAMAGED) // no value is there to read: the next change sets the file aside
            return result;
        if (result != 0)
            Give_Up_File(paths, result);
        source = result == 0 ? &store : MemoryStore;
    }
    return Read_Value(*source, key->Path, name, type, data, size);
}

bool Is_Missing_Setting(long error)
{
    return error == ENOENT || error == EMSGSIZE || error == DAMAGED;
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
