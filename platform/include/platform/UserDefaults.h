#pragma once
// The per-application settings store: values by key, a registration domain of
// defaults, the store's usual conversions, kept in an XML property list at
// Library/Preferences/<bundle identifier>.plist under the container.

#include "platform/Result.h"
#include "platform/Value.h"
#include <string>
#include <utility>
#include <vector>

namespace platform {

class UserDefaults {
public:
    static UserDefaults& standard();
    explicit UserDefaults(std::string filePath);

    // The stored value, else the registered default, else null.
    Value objectForKey(const std::string& key) const;
    // Booleans; numbers are true when non-zero; strings "YES"/"true"/"yes"
    // (any case) or a leading non-zero integer are true; anything else false.
    bool boolForKey(const std::string& key) const;
    // Integers; reals truncate; strings give their leading decimal integer
    // (after spaces, optionally signed), 0 when there is none; bools 1 or 0.
    int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;
    std::string stringForKey(const std::string& key) const; // strings and numbers as text
    Dictionary dictionaryForKey(const std::string& key) const;

    void setObject(const std::string& key, Value value);
    void setBool(const std::string& key, bool v) { setObject(key, Value(v)); }
    void setInteger(const std::string& key, int64_t v) { setObject(key, Value(v)); }
    void removeObject(const std::string& key);

    // Defaults answered for keys that are not stored; never written to the file.
    void registerDefaults(const Dictionary& defaults);

    // Writes unsaved changes to the file, then reloads the file so that values
    // written by another process (the settings window) are seen. A failed
    // write keeps the file as it was and the changes pending, and says so in
    // one console line. A damaged file is set aside (see load()).
    bool synchronize();
    // Files larger than this are damaged, not settings: they are not read.
    static constexpr long long kMaximumFileSize = 8LL * 1024 * 1024;
    // How many damaged settings files are kept beside the store.
    static constexpr int kDamagedFilesKept = 5;
    const std::string& filePath() const { return path_; }
    const Dictionary& persistentDomain() const { return stored_; }

private:
    std::string path_;
    Dictionary stored_;
    Dictionary registered_;
    bool dirty_ = false;
    // Changes made here since the last save, in order; a null value removes
    // the key. They are replayed over the file's current contents so that a
    // save never undoes what another writer changed under other keys.
    std::vector<std::pair<std::string, Value>> changes_;
    Result<void> load();
    void recoverDamagedFile(const std::string& text, const std::string& reason);
};

}
