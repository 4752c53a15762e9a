#pragma once

#include "platform/Dispatch.h"
#include "platform/OleVariant.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// Maps programmatic identifiers (letter case ignored) to the servers that create their objects.
// The global registry knows "Excel.Application", the in-process spreadsheet server that writes
// workbooks into the user's cache folder and opens them with the desktop's spreadsheet program.
// Other registries (a workbook saved to a chosen path, a recording double) are made where needed.
class OleRegistry {
public:
    using Factory = std::function<std::shared_ptr<Dispatch>()>;

    OleRegistry() = default;
    OleRegistry(const OleRegistry&) = delete;
    OleRegistry& operator=(const OleRegistry&) = delete;

    // Adds or replaces the server for the identifier.
    void registerServer(std::string progId, Factory factory);
    void unregisterServer(std::string_view progId);

    // A new object of the identifier's server; EOleError when none is registered or it fails.
    OleVariant create(std::string_view progId) const;

    static OleRegistry& global();

private:
    struct Entry {
        std::string progId;
        Factory factory;
    };

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

// The object of the identifier's server in the global registry.
OleVariant CreateOleObject(std::string_view progId);

} // namespace cvt
