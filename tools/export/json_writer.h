#pragma once

// Writes one compact JSON text. The caller opens and closes objects and arrays in
// order; the writer places the commas and escapes the strings. Numbers are written
// in their shortest form that reads back to the same double; a number that is not
// finite becomes null.
#include <string>

class CJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value inside an object.
    void Key(const char* key);
    void String(const std::string& utf8);
    void Number(double value);
    void Integer(long long value);
    void Null();

    const std::string& Text() const { return m_text; }

private:
    // A comma before every value but the first of its object or array, and none
    // after a key.
    void Separate();

    std::string m_text;
    bool m_bFirst = true;
};
