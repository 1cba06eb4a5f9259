#include "settings_text.h"

#include "platform.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace SettingsText
{

namespace
{

const char FileHeader[] = "Quillomar settings 1";

bool Is_Printable(unsigned char c)
{
    return c >= 0x20 && c <= 0x7e;
}

bool Same_Name(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
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

} // namespace

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

} // namespace SettingsText
