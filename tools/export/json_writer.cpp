#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

void CJsonWriter::Separate()
{
    if (!m_bFirst)
        m_text += ',';
    m_bFirst = false;
}

void CJsonWriter::BeginObject()
{
    Separate();
    m_text += '{';
    m_bFirst = true;
}

void CJsonWriter::EndObject()
{
    m_text += '}';
    m_bFirst = false;
}

void CJsonWriter::BeginArray()
{
    Separate();
    m_text += '[';
    m_bFirst = true;
}

void CJsonWriter::EndArray()
{
    m_text += ']';
    m_bFirst = false;
}

void CJsonWriter::Key(const char* key)
{
    String(key);
    m_text += ':';
    m_bFirst = true;
}

void CJsonWriter::String(const std::string& utf8)
{
    Separate();
    m_text += '"';
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            m_text += '\\';
            m_text += ch;
        } else if (c == '\n') {
            m_text += "\\n";
        } else if (c == '\r') {
            m_text += "\\r";
        } else if (c == '\t') {
            m_text += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            m_text += escaped;
        } else {
            m_text += ch;  // UTF-8 goes through as it is
        }
    }
    m_text += '"';
}

void CJsonWriter::Number(double value)
{
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    Separate();
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_text.append(buffer, result.ptr);
}

void CJsonWriter::Integer(long long value)
{
    Separate();
    m_text += std::to_string(value);
}

void CJsonWriter::Null()
{
    Separate();
    m_text += "null";
}
