#pragma once

#include "core/names/NameList.h"
#include "core/query/RunSettings.h"
#include "core/query/ServerEntry.h"
#include "net/dns/DnsPrecheck.h"
#include "text/AskedPart.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace cvt {

// A suffix column of the run and its own name servers (host names; none: ask the resolver).
struct DnsSuffix {
    DnsSuffix(std::string suffixName, std::vector<std::string> hosts = {})
        : name(std::move(suffixName)), nameServers(std::move(hosts)) {}
    std::string name;
    std::vector<std::string> nameServers;
};

// With RunSettings::dnsAuto, the ticked suffixes of entries that have no name servers of their own
// and are asked through the resolver instead, each once: ".shop, .example"; empty when there are none.
std::string suffixesAskedThroughResolver(const std::vector<ServerEntry>& entries);

// The DNS stage of a run: asks DNS, ahead of the lanes, whether each cell's name (name.suffix) is
// delegated. The lanes feed it as they walk, so it asks at most `lookahead` names beyond the
// furthest lane, and then take DNS's word on each of their cells: delegated (the cell is
// registered, with the name servers as its details) or "ask the registry". DNS never marks a name
// free: every answer but a delegation, and every failure, sends the cell to the registry.
//
// A resolver that stops answering (kSilentLimit questions in a row timed out or refused) is given
// up: from then on every cell goes to the registry at once, as in a run without DNS. With
// RunSettings::dnsAuto each suffix's own name servers are asked instead (the resolver only for a
// suffix without any), and each set of name servers is given up on its own.
//
// Thread-safe; the lanes call it from their threads, Stop's interrupt() from any.
class DnsStage {
public:
    static constexpr int kSilentLimit = 16;
    static constexpr std::size_t kDefaultLookahead = 2048;

    // suffixes: the run's suffix columns; a cell is (name index, suffix index). aLabels: the A-label
    // forms of the names that have one, line for line with names, or empty (SearchCandidates::aLabels).
    DnsStage(const RunSettings& settings, const NameList& names, const NameList& aLabels,
             const std::vector<DnsSuffix>& suffixes, std::size_t lookahead = kDefaultLookahead,
             SocketApi* api = nullptr);
    ~DnsStage();
    DnsStage(const DnsStage&) = delete;
    DnsStage& operator=(const DnsStage&) = delete;

    // The suffix's index, or nothing when the stage does not know it.
    std::optional<std::size_t> suffixIndex(std::string_view suffix) const;

    // Asks DNS about the cells of every name up to index + lookahead not yet asked.
    void feed(std::size_t index);

    // DNS's word on a cell: the details text ("Delegated in DNS: ns1..., ns2...") when the name is
    // delegated, nothing when the registry must be asked. Waits for the answer unless stop() turns
    // true (nothing then); a working resolver is far ahead of the lanes, so they seldom wait.
    std::optional<std::string> await(std::size_t index, std::size_t suffix, const std::function<bool()>& stop);

    // Ends the waits in await() whose stop() now returns true. Any thread.
    void interrupt();

    // True once every server the stage asks was given up.
    bool givenUp() const;

private:
    enum class CellState : std::uint8_t { Waiting, AskRegistry, Delegated };

    void answered(DnsAnswer answer);
    std::uint64_t tagOf(std::size_t index, std::size_t suffix) const { return index * m_suffixes.size() + suffix; }
    bool givenUpLocked() const;
    bool givenUpFor(std::size_t suffix) const;

    const NameList& m_names;
    const NameList& m_aLabels;
    std::vector<std::string> m_suffixes;
    std::vector<AskedPart> m_askedSuffixes;          // under m_feedMutex
    std::vector<DnsPrecheck::ServerSet> m_serversOf; // per suffix
    const std::size_t m_lookahead;

    std::mutex m_feedMutex;
    std::size_t m_submitted = 0; // names whose cells were handed to DNS

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CellState> m_cells;
    std::unordered_map<std::uint64_t, std::string> m_delegations; // details of delegated cells not yet taken
    // Per server set of the precheck: questions in a row that timed out or were refused, and
    // whether the set was given up.
    std::vector<int> m_silentInARow;
    std::vector<bool> m_givenUp;

    // Last: its thread delivers into the fields above, so it stops before they go.
    std::unique_ptr<DnsPrecheck> m_precheck;
};

} // namespace cvt
