#pragma once

#include <map>
#include <string>

// Key/value pairs of the launch command line as ANSI byte strings. Keys are unique and compared
// byte by byte (case-sensitive); the first value given for a key is the one kept.
class LaunchArgumentMap {
public:
    // False (and the map unchanged) when the key is already present.
    bool Insert(const std::string& key, const std::string& value) { return m_pairs.emplace(key, value).second; }
    bool Has(const std::string& key) const { return m_pairs.count(key) != 0; }
    // Empty when the key is absent.
    std::string Value(const std::string& key) const {
        const auto found = m_pairs.find(key);
        return found == m_pairs.end() ? std::string() : found->second;
    }
    void Clear() { m_pairs.clear(); }
    size_t Size() const { return m_pairs.size(); }
    const std::map<std::string, std::string>& Pairs() const { return m_pairs; }

private:
    std::map<std::string, std::string> m_pairs;
};
