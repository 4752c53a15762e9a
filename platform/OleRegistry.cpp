#include "platform/OleRegistry.h"

#include "platform/EOleError.h"
#include "platform/SpreadsheetApplication.h"

#include <algorithm>

namespace cvt {

namespace {

bool sameProgId(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

void OleRegistry::registerServer(std::string progId, Factory factory) {
    std::lock_guard lock(m_mutex);
    for (Entry& entry : m_entries) {
        if (sameProgId(entry.progId, progId)) {
            entry.factory = std::move(factory);
            return;
        }
    }
    m_entries.push_back(Entry{std::move(progId), std::move(factory)});
}

void OleRegistry::unregisterServer(std::string_view progId) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [progId](const Entry& entry) { return sameProgId(entry.progId, progId); });
}

OleVariant OleRegistry::create(std::string_view progId) const {
    Factory factory;
    {
        std::lock_guard lock(m_mutex);
        for (const Entry& entry : m_entries) {
            if (sameProgId(entry.progId, progId)) {
                factory = entry.factory;
                break;
            }
        }
    }
    if (!factory) {
        throw EOleError("Invalid class string \"" + std::string(progId) + "\": no automation server is registered");
    }
    std::shared_ptr<Dispatch> object = factory();
    if (object == nullptr) {
        throw EOleError("The automation server for \"" + std::string(progId) + "\" created no object");
    }
    return OleVariant(std::move(object));
}

OleRegistry& OleRegistry::global() {
    static OleRegistry registry;
    static const bool spreadsheetRegistered = [] {
        registry.registerServer(std::string(kSpreadsheetProgId),
                                [] { return std::make_shared<SpreadsheetApplication>(SpreadsheetOptions{}); });
        return true;
    }();
    static_cast<void>(spreadsheetRegistered);
    return registry;
}

OleVariant CreateOleObject(std::string_view progId) {
    return OleRegistry::global().create(progId);
}

} // namespace cvt
