#pragma once

#include <QTemporaryDir>
#include <string>

// A temporary folder for fixture files that the tests write themselves.
class TempDir {
public:
    // Writes the bytes to a file of that name in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Path(const std::string& name) const;

private:
    QTemporaryDir m_dir;
};
