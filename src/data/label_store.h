#pragma once

// The raw time labels of a loaded file, kept in one flat byte store with an
// offset per label: a file of a million rows costs two allocations, not a million.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CLabelStore {
public:
    size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view operator[](size_t index) const;
    std::string GetAt(size_t index) const { return std::string((*this)[index]); }

    void push_back(std::string_view label);
    void pop_back();
    void clear();
    // Makes room for about this many labels of this total length without growing.
    void reserve(size_t labels, size_t bytes);
    // Replaces the contents by the given labels (used by the fit-all compression).
    void assign(const std::vector<std::string>& labels);

private:
    std::vector<char> m_bytes;
    std::vector<uint32_t> m_ends;  // end offset of label i in m_bytes (files stay below 4 GiB)
};
