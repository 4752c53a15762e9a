#include "core/journal/SearchKey.h"

#include "text/TextUtil.h"

#include <array>
#include <memory>
#include <openssl/evp.h>
#include <stdexcept>

namespace cvt {

namespace {

// What precedes a piece of a key or a judgement, so that no two different sequences of pieces read
// alike.
std::string lengthPrefix(std::string_view piece) {
    return std::to_string(piece.size()) + ":";
}

// SHA-256 fed piece by piece, each preceded by its lengthPrefix.
class Sha256 {
public:
    Sha256() : m_context(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
        if (!m_context || EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr) != 1) {
            throw std::runtime_error("SHA-256 is not available");
        }
    }
    void add(std::string_view piece) {
        const std::string length = lengthPrefix(piece);
        EVP_DigestUpdate(m_context.get(), length.data(), length.size());
        EVP_DigestUpdate(m_context.get(), piece.data(), piece.size());
    }
    std::string hex() {
        std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
        unsigned int size = 0;
        EVP_DigestFinal_ex(m_context.get(), digest.data(), &size);
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string text;
        for (unsigned int i = 0; i < size; ++i) {
            text += kDigits[digest[i] >> 4];
            text += kDigits[digest[i] & 0xF];
        }
        return text;
    }

private:
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> m_context;
};

constexpr std::string_view kWordListSource = "word list: ";

} // namespace

std::string answerJudgement(const ServerEntry& entry) {
    std::string judgement;
    for (const std::string_view field :
         {std::string_view(entry.mark), std::string_view(entry.refusal), std::string_view(trim(entry.whoisHost))}) {
        judgement.append(lengthPrefix(field)).append(field);
    }
    return judgement;
}

bool isWordListSource(std::string_view source) {
    return source.starts_with(kWordListSource);
}

SearchKey makeSearchKey(const SearchRequest& request, const std::vector<ServerEntry>& entries,
                        const RunSettings& settings) {
    SearchKey search;
    Sha256 key;
    if (request.mode == SearchMode::Pattern) {
        key.add("pattern");
        key.add(request.patternText);
        search.source = request.patternText;
    } else {
        Sha256 list;
        for (const std::string_view line : request.words) {
            list.add(line);
        }
        const std::string listDigest = list.hex();
        key.add("words");
        key.add(listDigest);
        search.source = std::string(kWordListSource) + std::to_string(request.words.size()) + " names, sha256 " +
                        listDigest.substr(0, 16);
    }
    for (const ServerEntry& entry : entries) {
        if (!entry.ticked) {
            continue;
        }
        for (const std::string_view field : {std::string_view(trim(entry.caption)), std::string_view(entry.host),
                                             std::string_view(entry.mark), std::string_view(entry.refusal)}) {
            key.add(field);
        }
        // The WHOIS server behind an RDAP base answers some of the cells too. Only entries that name
        // one add it, so the keys of every other search, and their resume, stay as they were.
        if (const std::string_view behind = trim(entry.whoisHost); !behind.empty()) {
            key.add("whois behind");
            key.add(behind);
        }
        search.suffixes += (search.suffixes.empty() ? "" : ",") + std::string(trim(entry.caption));
        search.judgements.emplace_back(trim(entry.caption), answerJudgement(entry));
    }
    search.settings = settings.dns ? "dns=on" : "dns=off";
    if (settings.dns && settings.dnsAuto) {
        search.settings += " dns_server=auto";
    } else if (settings.dns && !settings.dnsServerAddress.empty()) {
        search.settings += " dns_server=" + settings.dnsServerAddress + ":" + std::to_string(settings.dnsServerPort);
    }
    key.add(search.settings);
    search.key = key.hex();
    return search;
}

} // namespace cvt
