#include "support/temp_dir.h"

#include <fstream>

std::string TempDir::Path(const std::string& name) const
{
    return m_dir.filePath(QString::fromStdString(name)).toStdString();
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}
