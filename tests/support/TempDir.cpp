#include "support/TempDir.h"

#include <stdlib.h>

#include <stdexcept>
#include <vector>

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "norvale-test-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
