#include "settings_text.h"

#include "dword.h"
#include "platform.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace SettingsText
{

namespace
{

const char FileHeader[] = "Quillomar settings 1";

bool Is_Printable(unsigned char c)
{
    return c >= 0x20 && c <= 0x7e;
}

// ASCII alone: strcasecmp would also fold other bytes in some locales.
unsigned char Fold_Case(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
}

bool Same_Name(const char *a, size_t a_size, const char *b, size_t b_size)
{
    if (a_size != b_size)
        return false;
    for (size_t i = 0; i < a_size; ++i)
        if (Fold_Case(a[i]) != Fold_Case(b[i]))
            return false;
    return true;
}

bool Same_Name(const std::string &a, const std::string &b)
{
    return Same_Name(a.data(), a.size(), b.data(), b.size());
}

} // namespace

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

namespace
{

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
        snprintf(text, sizeof(text), "dword:%08lx", static_cast<unsigned long>(Unpack_Dword(b)));
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

} // namespace

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

// Reading ------------------------------------------------------------------------------------

namespace
{

// FNV-1a of the case-folded name, so that names that match hash alike; a path's hash grows
// part by part.
const uint64_t HashStart = 14695981039346656037ull;

uint64_t Hash_Step(uint64_t hash, char c)
{
    return (hash ^ Fold_Case(c)) * 1099511628211ull;
}

// Keys by path and values by key and name, for the parser: each line is looked up in constant
// time, where Find_Key and Find_Value would look through everything read before it. Open
// addressing, at most half full.
class CNameIndex
{
public:
    static constexpr size_t NoKey = SIZE_MAX;

    class CEntry
    {
    public:
        uint64_t Hash;
        size_t Key;   // the key's position in the store; NoKey in a free slot
        size_t Value; // the value's position in its key (0 for a key)
    };

    // The entry of that hash for which same(entry) holds; null when none does.
    template <typename Same>
    const CEntry *Find(uint64_t hash, Same same) const
    {
        if (Entries.empty())
            return nullptr;
        const size_t mask = Entries.size() - 1;
        for (size_t slot = Slot(hash) & mask;; slot = (slot + 1) & mask)
        {
            const CEntry &entry = Entries[slot];
            if (entry.Key == NoKey)
                return nullptr;
            if (entry.Hash == hash && same(entry))
                return &entry;
        }
    }

    void Add(uint64_t hash, size_t key, size_t value)
    {
        if (2 * (Count + 1) > Entries.size())
        {
            std::vector<CEntry> old(Entries.size() < 16 ? 32 : 2 * Entries.size(),
                                    CEntry{0, NoKey, 0});
            old.swap(Entries);
            for (const CEntry &entry : old)
                if (entry.Key != NoKey)
                    Place(entry);
        }
        Place(CEntry{hash, key, value});
        ++Count;
    }

private:
    std::vector<CEntry> Entries; // a power of two of them
    size_t Count = 0;

    // FNV's low bits alone would crowd the slots.
    static size_t Slot(uint64_t hash)
    {
        hash ^= hash >> 33;
        hash *= 0xff51afd7ed558ccdull;
        hash ^= hash >> 33;
        return size_t(hash);
    }

    void Place(const CEntry &entry)
    {
        const size_t mask = Entries.size() - 1;
        size_t slot = Slot(entry.Hash) & mask;
        while (Entries[slot].Key != CNameIndex::NoKey)
            slot = (slot + 1) & mask;
        Entries[slot] = entry;
    }
};

// What the parser keeps between lines.
class CParser
{
public:
    CStore &Store;
    CNameIndex Keys;
    CNameIndex Values;
    size_t Current = CNameIndex::NoKey; // the key that value lines go to
    size_t KeyLineBytes = 0;            // of the header and the lines of the keys in the store
    std::vector<size_t> PartEnds;       // of the key path being entered
    std::vector<uint64_t> PartHashes;   // of its path up to each end

    explicit CParser(CStore &store) : Store(store) {}

    // Ensure_Key through the index: the longest path already in the store is found first, since
    // its parents are there too, and only the keys below it are added. False when they would
    // take more than a file may.
    bool Enter_Key(const std::string &path)
    {
        PartEnds.clear();
        PartHashes.clear();
        uint64_t hash = HashStart;
        for (size_t i = 0; i < path.size(); ++i)
        {
            if (path[i] == '\\')
            {
                PartEnds.push_back(i);
                PartHashes.push_back(hash);
            }
            hash = Hash_Step(hash, path[i]);
        }
        PartEnds.push_back(path.size());
        PartHashes.push_back(hash);
        size_t present = PartEnds.size(); // parts of the longest path in the store
        for (; present > 0; --present)
        {
            const size_t end = PartEnds[present - 1];
            const CNameIndex::CEntry *found =
                Keys.Find(PartHashes[present - 1],
                          [&](const CNameIndex::CEntry &entry)
                          {
                              return Same_Name(Store[entry.Key].Path.data(),
                                               Store[entry.Key].Path.size(), path.data(), end);
                          });
            if (found != nullptr)
            {
                Current = found->Key;
                break;
            }
        }
        size_t added = 0;
        for (size_t part = present; part < PartEnds.size(); ++part)
        {
            added += PartEnds[part] + 3; // "[path]\n"
            if (added > MaxFileSize - KeyLineBytes)
                return false;
        }
        KeyLineBytes += added;
        for (size_t part = present; part < PartEnds.size(); ++part)
        {
            Current = Store.size();
            Keys.Add(PartHashes[part], Current, 0);
            Store.push_back(CStoredKey{path.substr(0, PartEnds[part]), {}});
        }
        return true;
    }

    // A later line of the same name wins, as a hand edit would expect.
    void Enter_Value(CStoredValue &&value)
    {
        std::vector<CStoredValue> &values = Store[Current].Values;
        uint64_t hash = HashStart ^ (Current * 0x9e3779b97f4a7c15ull);
        for (const char c : value.Name)
            hash = Hash_Step(hash, c);
        const CNameIndex::CEntry *found = Values.Find(
            hash, [&](const CNameIndex::CEntry &entry)
            { return entry.Key == Current && Same_Name(values[entry.Value].Name, value.Name); });
        if (found != nullptr)
        {
            values[found->Value] = std::move(value);
            return;
        }
        Values.Add(hash, Current, values.size());
        values.push_back(std::move(value));
    }
};

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
        // Plain characters a run at a time.
        size_t end = i;
        while (end < line.size() && line[end] != '"' && line[end] != '\\' &&
               Is_Printable(static_cast<unsigned char>(line[end])))
            ++end;
        out->append(line, i, end - i);
        i = end;
        if (i >= line.size() || !Is_Printable(static_cast<unsigned char>(line[i])))
            return false;
        if (line[i] == '"')
        {
            *pos = i + 1;
            return true;
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
        unsigned char bytes[4];
        Pack_Dword(number, bytes);
        value->Bytes.assign(reinterpret_cast<const char *>(bytes), 4);
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

} // namespace

long Parse_Store(const std::string &text, CStore *store)
{
    store->clear();
    if (text.size() > MaxFileSize)
        return DAMAGED;
    CParser parser(*store);
    parser.KeyLineBytes = sizeof(FileHeader); // with its newline
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
            // A key's parents exist, listed or not, as in the registry.
            if (!Valid_Key_Path(path) || !parser.Enter_Key(path))
                return DAMAGED;
            continue;
        }
        CStoredValue value;
        if (parser.Current == CNameIndex::NoKey || !Parse_Value(line, &value))
            return DAMAGED;
        parser.Enter_Value(std::move(value));
    }
    return header_seen ? 0 : DAMAGED;
}

long Read_Value(CStore &store, const std::string &path, const char *name, uint32_t *type,
                void *data, uint32_t *size)
{
    CStoredKey *key = Find_Key(store, path);
    CStoredValue *value = key != nullptr ? Find_Value(*key, name) : nullptr;
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

} // namespace SettingsText
