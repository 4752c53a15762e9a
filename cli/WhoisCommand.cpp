#include "cli/Commands.h"
#include "net/NetExceptions.h"
#include "net/TNetWhois.h"
#include "net/rdap/RdapClient.h"

#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvantide-cli whois [--host HOST[:PORT]] QUERY\n"
    "Ask one WHOIS server about QUERY (for example abc.com) and print its reply exactly as received.\n"
    "The query goes out as it stands, followed by CR LF.\n\n"
    "  --host HOST[:PORT]  the server to ask, on port 43 unless PORT is given\n"
    "                      (default: whois.verisign-grs.com, the server of .com and .net)\n"
    "  --host URL          an RDAP base address (https://... or http://..., e.g.\n"
    "                      https://rdap.identitydigital.services/rdap/): one RDAP lookup of QUERY;\n"
    "                      prints \"free\", \"registered\" or \"failed\" with the status line, then\n"
    "                      the reply's JSON pretty-printed\n"
    "  --help              print this help\n\n"
    "The connect may take at most 10 s, each wait for reply data at most 6 s, and the reply may\n"
    "hold at most 4 MiB. On failure the reason goes to standard error and the exit code is 1.\n";

int rdapLookup(CommandContext& context, const std::string& base, const std::string& name) {
    RdapClient client;
    const RdapOutcome outcome = client.lookup(base, name);
    static constexpr const char* kMarks[] = {"free", "registered", "failed"};
    context.out << kMarks[static_cast<int>(outcome.mark)] << ": " << outcome.reason << '\n';
    if (outcome.retryAfter) {
        context.out << "retry after: " << outcome.retryAfter->count() << " s\n";
    }
    if (outcome.details != outcome.reason) {
        context.out << outcome.details << '\n';
    }
    context.out.flush();
    if (outcome.mark == RdapMark::Failed) {
        context.err << "corvantide-cli whois: " << outcome.reason << '\n';
        return 1;
    }
    return context.out ? 0 : 1;
}

} // namespace

int runWhois(CommandContext& context) {
    std::string host = TNetWhois::kDefaultHost;
    const std::string* query = nullptr;
    bool endOfOptions = false;
    const auto& args = context.args;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!endOfOptions && (arg == "--help" || arg == "-h")) {
            context.out << kUsage;
            return 0;
        }
        if (!endOfOptions && arg == "--") {
            endOfOptions = true;
            continue;
        }
        if (!endOfOptions && arg == "--host") {
            if (i + 1 >= args.size()) {
                context.err << "corvantide-cli whois: --host needs a value\n" << kUsage;
                return 2;
            }
            host = args[++i];
            continue;
        }
        if (!endOfOptions && arg.starts_with("--host=")) {
            host = arg.substr(7);
            continue;
        }
        if (!endOfOptions && arg.size() > 1 && arg.front() == '-') {
            context.err << "corvantide-cli whois: unknown option '" << arg << "'\n" << kUsage;
            return 2;
        }
        if (query != nullptr) {
            context.err << "corvantide-cli whois: one query only\n" << kUsage;
            return 2;
        }
        query = &arg;
    }
    if (query == nullptr) {
        context.err << "corvantide-cli whois: no query given\n" << kUsage;
        return 2;
    }
    if (host.empty()) {
        context.err << "corvantide-cli whois: --host is empty\n" << kUsage;
        return 2;
    }

    if (host.starts_with("https://") || host.starts_with("http://")) {
        return rdapLookup(context, host, *query);
    }

    TNetWhois whois;
    whois.SetServer(host);
    std::string reply;
    try {
        reply = whois.Lookup(*query);
    } catch (const ENetException& error) {
        context.err << "corvantide-cli whois: " << error.what() << '\n';
        return 1;
    }
    context.out.write(reply.data(), static_cast<std::streamsize>(reply.size()));
    context.out.flush();
    return context.out ? 0 : 1;
}

} // namespace cvt::cli
