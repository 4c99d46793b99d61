#pragma once
// Helpers of the Windows-side tests: a scratch folder and the test server's
// live-object count.

#include <string>

namespace strovex::win::test {

// A fresh folder under the user's temporary folder, removed with everything
// in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::u16string &path() const { return path_; }
    // path() + "\" + name
    std::u16string file(const std::u16string &name) const { return path_ + u"\\" + name; }

private:
    std::u16string path_;
};

// Creates a file holding `bytes` (any path length); true on success.
bool writeFile(const std::u16string &path, const std::string &bytes);
// The whole file, or empty.
std::string readFile(const std::u16string &path);

// Objects the COM test server holds alive; -1 when its module is not loaded.
long liveServerObjects();

// A name unique to this run, for registry keys and folders.
std::u16string uniqueName(const std::u16string &prefix);

} // namespace strovex::win::test
