#pragma once
// The process-wide settings file "/KorvellView.ini" in the user's temporary
// directory (QStandardPaths::TempLocation). Sections and keys are compared
// without regard to letter case; values are UTF-8 text.
//
// One object for the process, created on first use and never destroyed. All
// members are thread-safe (the recorder reads "Logpath" on a worker thread).

#include <cstddef>
#include <memory>
#include <string>

class Settings {
public:
    // Characters (Unicode code points) of a value that Write keeps.
    static constexpr size_t kMaxValueLength = 128;
    static constexpr const char* kFileName = "/KorvellView.ini";

    // The settings of the process; the first call loads the file, creating it
    // empty when it is missing.
    static Settings& instance();

    // Re-points the process settings at `directory` + "/KorvellView.ini" and
    // loads that file (created empty when missing). For tests only.
    static void setDirectoryForTesting(const std::string& directory);

    // The stored value, or `defaultValue` when the key is absent.
    std::string Read(const std::string& section, const std::string& key,
                     const std::string& defaultValue = {}) const;

    // Stores the value (cut to kMaxValueLength characters; line breaks become
    // spaces so that a value cannot spill into further lines of the file;
    // blanks around it are dropped, as loading the file would drop them) and
    // saves the whole file at once. Returns false when the file could not be
    // saved or the section or key is not a usable INI name (empty, or holding
    // a line break, '=', '[' or ']').
    bool Write(const std::string& section, const std::string& key, const std::string& value);

    std::string filePath() const;

    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

private:
    Settings();
    ~Settings();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
