#include "data/label_store.h"

#include "common/huge_pages.h"

std::string_view CLabelStore::operator[](size_t index) const
{
    const uint32_t begin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_bytes.data() + begin, static_cast<size_t>(m_ends[index] - begin));
}

void CLabelStore::push_back(std::string_view label)
{
    m_bytes.insert(m_bytes.end(), label.begin(), label.end());
    m_ends.push_back(static_cast<uint32_t>(m_bytes.size()));
}

void CLabelStore::pop_back()
{
    m_ends.pop_back();
    m_bytes.resize(m_ends.empty() ? 0 : static_cast<size_t>(m_ends.back()));
}

void CLabelStore::clear()
{
    std::vector<char>().swap(m_bytes);
    std::vector<uint32_t>().swap(m_ends);
}

void CLabelStore::reserve(size_t labels, size_t bytes)
{
    m_ends.reserve(labels);
    m_bytes.reserve(bytes);
    COMMON_EX::AdviseHugePages(m_ends);
    COMMON_EX::AdviseHugePages(m_bytes);
}

void CLabelStore::assign(const std::vector<std::string>& labels)
{
    clear();
    size_t bytes = 0;
    for (const std::string& label : labels)
        bytes += label.size();
    reserve(labels.size(), bytes);
    for (const std::string& label : labels)
        push_back(label);
}
