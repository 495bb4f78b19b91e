#include "platform/linux/socket_counters.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <vector>

namespace qb::linux_os {
namespace {

// FNV-1a over 64-bit values: order matters, so a counter moving from one field to another still shows.
class Digest {
public:
    void Add(uint64_t value)
    {
        for (int i = 0; i < 8; ++i) {
            m_hash = (m_hash ^ ((value >> (8 * i)) & 0xff)) * 0x100000001b3ull;
        }
        ++m_values;
    }
    uint64_t Hash() const { return m_hash; }
    int Values() const { return m_values; }

private:
    uint64_t m_hash = 0xcbf29ce484222325ull;
    int m_values = 0;
};

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t blank = line.find_first_not_of(" \t", start);
        if (blank == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", blank), line.size());
        words.push_back(line.substr(blank, end - blank));
        start = end;
    }
    return words;
}

uint64_t Number(std::string_view word)
{
    int64_t value = 0; // CurrEstab and MaxConn are signed
    std::from_chars(word.data(), word.data() + word.size(), value);
    return static_cast<uint64_t>(value);
}

// Calls `each` with the words of every line of `text` whose first word is `prefix`.
template <class Each> void LinesOf(std::string_view text, std::string_view prefix, Each each)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        if (line.substr(0, prefix.size()) == prefix)
            each(Words(line));
        start = end + 1;
    }
}

// snmp writes a line of names, then a line of values, per protocol ("Tcp: ActiveOpens …", "Tcp: 15 …").
void AddNamed(Digest& digest, std::string_view text, std::string_view prefix,
              std::initializer_list<std::string_view> names)
{
    std::vector<std::vector<std::string_view>> lines;
    LinesOf(text, prefix, [&](std::vector<std::string_view> words) { lines.push_back(std::move(words)); });
    if (lines.size() < 2 || lines[0].size() != lines[1].size())
        return;
    for (std::size_t i = 1; i < lines[0].size(); ++i) {
        if (names.size() == 0 || std::ranges::find(names, lines[0][i]) != names.end())
            digest.Add(Number(lines[1][i]));
    }
}

// sockstat writes names and values in turn on one line ("TCP: inuse 1 orphan 0 tw 0 …").
void AddPairs(Digest& digest, std::string_view text, std::string_view prefix,
              std::initializer_list<std::string_view> names)
{
    LinesOf(text, prefix, [&](const std::vector<std::string_view>& words) {
        for (std::size_t i = 1; i + 1 < words.size(); i += 2) {
            if (std::ranges::find(names, words[i]) != names.end())
                digest.Add(Number(words[i + 1]));
        }
    });
}

} // namespace

std::optional<uint64_t> CountersDigest(std::string_view snmp, std::string_view snmp6,
                                       std::string_view sockstat, std::string_view sockstat6)
{
    Digest digest;
    AddNamed(digest, snmp,
             "Tcp:", {"ActiveOpens", "PassiveOpens", "AttemptFails", "EstabResets", "CurrEstab"});
    AddNamed(digest, snmp, "Udp:", {});
    const int ipv4 = digest.Values();
    LinesOf(snmp6, "Udp6", [&](const std::vector<std::string_view>& words) {
        if (words.size() == 2)
            digest.Add(Number(words[1]));
    });
    const int beforeSockstat = digest.Values();
    AddPairs(digest, sockstat, "TCP:", {"inuse", "tw"});
    AddPairs(digest, sockstat, "UDP:", {"inuse"});
    const int sockstatValues = digest.Values() - beforeSockstat;
    AddPairs(digest, sockstat6, "TCP6:", {"inuse"});
    AddPairs(digest, sockstat6, "UDP6:", {"inuse"});
    // Without IPv6 the two IPv6 files are empty; the IPv4 counters must all be there.
    if (ipv4 < 6 || sockstatValues < 3)
        return std::nullopt;
    return digest.Hash();
}

SocketCounters::SocketCounters(const std::string& procNet)
{
    const char* names[] = {"snmp", "snmp6", "sockstat", "sockstat6"};
    for (std::size_t i = 0; i < m_files.size(); ++i)
        m_files[i].Reset(::open((procNet + "/" + names[i]).c_str(), O_RDONLY | O_CLOEXEC));
}

std::optional<uint64_t> SocketCounters::Read()
{
    const bool all = m_reads++ % kAllEvery == 0;
    m_scratch.resize(kMaxText);
    bool changed = !m_parsed;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (i != kSockstat && i != kSockstat6 && !all)
            continue;
        // A /proc file is generated afresh by each read from offset 0.
        const ssize_t got =
            m_files[i].Valid() ? ::pread(m_files[i].Get(), m_scratch.data(), m_scratch.size(), 0) : 0;
        const std::string_view text(m_scratch.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
        if (text != m_texts[i]) {
            m_texts[i].assign(text);
            changed = true;
        }
    }
    if (changed) {
        m_digest = CountersDigest(m_texts[0], m_texts[1], m_texts[2], m_texts[3]);
        m_parsed = true;
    }
    return m_digest;
}

} // namespace qb::linux_os
