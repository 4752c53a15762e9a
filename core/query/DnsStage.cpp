#include "core/query/DnsStage.h"

#include "text/TextUtil.h"

#include <algorithm>
#include <utility>

namespace cvt {

std::string suffixesAskedThroughResolver(const std::vector<ServerEntry>& entries) {
    std::vector<std::string_view> seen;
    std::string list;
    for (const ServerEntry& entry : entries) {
        const std::string_view suffix = trim(entry.caption);
        if (!entry.ticked || !entry.nameServers.empty() || std::find(seen.begin(), seen.end(), suffix) != seen.end()) {
            continue;
        }
        seen.push_back(suffix);
        list += (list.empty() ? "." : ", .") + std::string(suffix);
    }
    return list;
}

DnsStage::DnsStage(const RunSettings& settings, const NameList& names, const NameList& aLabels,
                   const std::vector<DnsSuffix>& suffixes, std::size_t lookahead, SocketApi* api)
    : m_names(names), m_aLabels(aLabels), m_lookahead(std::max<std::size_t>(lookahead, 1)),
      m_cells(names.size() * suffixes.size(), CellState::Waiting) {
    DnsPrecheckOptions options;
    options.ServerAddress = settings.dnsServerAddress;
    options.ServerPort = settings.dnsServerPort;
    options.NameServerPort = settings.dnsNameServerPort;
    options.TryTimeout = settings.dnsTryTimeout;
    if (api != nullptr) {
        options.Api = api;
    }
    m_precheck =
        std::make_unique<DnsPrecheck>(std::move(options), [this](DnsAnswer answer) { answered(std::move(answer)); });
    std::lock_guard lock(m_mutex);
    for (const DnsSuffix& suffix : suffixes) {
        m_suffixes.push_back(suffix.name);
        m_serversOf.push_back(settings.dnsAuto ? m_precheck->nameServers(suffix.nameServers) : DnsPrecheck::kResolver);
    }
    // Views into m_suffixes, which no longer grows.
    for (const std::string& suffix : m_suffixes) {
        m_askedSuffixes.push_back(AskedPart::suffix(suffix));
    }
    const std::size_t sets = m_serversOf.empty() ? 1 : *std::max_element(m_serversOf.begin(), m_serversOf.end()) + 1;
    m_silentInARow.assign(sets, 0);
    m_givenUp.assign(sets, false);
}

DnsStage::~DnsStage() {
    m_precheck->stop();
}

std::optional<std::size_t> DnsStage::suffixIndex(std::string_view suffix) const {
    const auto found = std::find(m_suffixes.begin(), m_suffixes.end(), suffix);
    if (found == m_suffixes.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - m_suffixes.begin());
}

void DnsStage::feed(std::size_t index) {
    std::lock_guard feedLock(m_feedMutex);
    const std::size_t end = std::min(m_names.size(), index + m_lookahead);
    if (m_submitted >= end || givenUp()) {
        return;
    }
    for (; m_submitted < end; ++m_submitted) {
        AskedPart name = AskedPart::name(trim(m_names[m_submitted]),
                                         m_aLabels.empty() ? std::string_view() : m_aLabels[m_submitted]);
        for (std::size_t suffix = 0; suffix < m_suffixes.size(); ++suffix) {
            if (givenUpFor(suffix)) {
                continue;
            }
            IdnConversion asked = AskedPart::domain(name, m_askedSuffixes[suffix]);
            if (asked.refused()) {
                // Never asked in DNS: the registry step fails the cell with the reason.
                std::lock_guard lock(m_mutex);
                m_cells[tagOf(m_submitted, suffix)] = CellState::AskRegistry;
                m_changed.notify_all();
                continue;
            }
            m_precheck->submit(tagOf(m_submitted, suffix), std::move(asked.name), m_serversOf[suffix]);
        }
    }
}

std::optional<std::string> DnsStage::await(std::size_t index, std::size_t suffix, const std::function<bool()>& stop) {
    const std::uint64_t tag = tagOf(index, suffix);
    std::unique_lock lock(m_mutex);
    const DnsPrecheck::ServerSet servers = m_serversOf[suffix];
    m_changed.wait(lock, [&] { return m_cells[tag] != CellState::Waiting || m_givenUp[servers] || stop(); });
    if (m_cells[tag] != CellState::Delegated) {
        return std::nullopt;
    }
    const auto found = m_delegations.find(tag);
    std::string details = std::move(found->second);
    m_delegations.erase(found);
    m_cells[tag] = CellState::AskRegistry; // taken: a second look asks the registry
    return details;
}

void DnsStage::interrupt() {
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}

bool DnsStage::givenUp() const {
    std::lock_guard lock(m_mutex);
    return givenUpLocked();
}

bool DnsStage::givenUpLocked() const {
    for (const DnsPrecheck::ServerSet servers : m_serversOf) {
        if (!m_givenUp[servers]) {
            return false;
        }
    }
    return true;
}

bool DnsStage::givenUpFor(std::size_t suffix) const {
    std::lock_guard lock(m_mutex);
    return m_givenUp[m_serversOf[suffix]];
}

void DnsStage::answered(DnsAnswer answer) {
    std::lock_guard lock(m_mutex);
    if (answer.Tag >= m_cells.size()) {
        return;
    }
    const DnsPrecheck::ServerSet servers = m_serversOf[answer.Tag % m_suffixes.size()];
    switch (answer.Why) {
    case DnsMiss::TimedOut:
    case DnsMiss::Refused:
        if (++m_silentInARow[servers] >= kSilentLimit && !m_givenUp[servers]) {
            // Nothing useful comes back: the questions still queued would only delay the lanes.
            m_givenUp[servers] = true;
            if (givenUpLocked()) {
                m_precheck->stop();
            } else {
                m_precheck->abandon(servers);
            }
        }
        break;
    case DnsMiss::NotAsked:
    case DnsMiss::Other:
        break;
    default:
        m_silentInARow[servers] = 0;
        break;
    }
    if (answer.delegated()) {
        m_delegations[answer.Tag] = answer.details();
        m_cells[answer.Tag] = CellState::Delegated;
    } else {
        m_cells[answer.Tag] = CellState::AskRegistry;
    }
    m_changed.notify_all();
}

} // namespace cvt
