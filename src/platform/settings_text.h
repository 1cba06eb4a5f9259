// The text of the POSIX settings file, apart from the file itself, so that it can be read and
// written in memory (by the store and by its fuzzer):
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
#ifndef QUILLOMAR_SETTINGS_TEXT_H
#define QUILLOMAR_SETTINGS_TEXT_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SettingsText
{

const size_t MaxKeyPartLength = 255;     // characters, as in the registry
const size_t MaxValueNameLength = 16383; // characters, as in the registry
const size_t MaxValueSize = 1 << 20;     // bytes
const size_t MaxFileSize = 16 << 20;     // bytes: no larger file reads, no change may make one

// Parse_Store's answer for a text that is not a settings file.
const long DAMAGED = EBADMSG;

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

// A key path: parts of 1 to 255 printable characters between single backslashes.
bool Valid_Key_Path(const std::string &path);

// Keys and values are found without regard to ASCII case (other bytes match only themselves);
// null when missing. Each looks through the store in order: for the few lookups of a change.
CStoredKey *Find_Key(CStore &store, const std::string &path);
CStoredValue *Find_Value(CStoredKey &key, const std::string &name);

// A value read as the registry reads one: 0 with its type, bytes and size; ENOENT when the key
// or the value is missing; EMSGSIZE with the size it needs when *size is too small.
long Read_Value(CStore &store, const std::string &path, const char *name, uint32_t *type,
                void *data, uint32_t *size);

// The key and every missing key above it; true when one had to be added.
bool Ensure_Key(CStore &store, const std::string &path, CStoredKey **key);

// The file's whole text.
std::string Serialize(const CStore &store);

// 0 with the store, or DAMAGED (the store then holds what was read before the fault). Damaged
// too: a text larger than MaxFileSize, and one whose keys would take more than that as the
// lines Serialize writes for them (a key line implies every key above it, so a short line
// naming a deep key would otherwise fill memory with its parents). Time and memory are in
// proportion to the text.
long Parse_Store(const std::string &text, CStore *store);

} // namespace SettingsText

#endif
