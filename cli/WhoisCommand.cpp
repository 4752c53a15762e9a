#include "cli/CommandFactories.h"
#include "cli/PlainReason.h"
#include "core/query/ServerEntry.h"
#include "net/rdap/RdapClient.h"
#include "net/socket/NetExceptions.h"
#include "net/whois/TNetWhois.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

// One RDAP lookup of name at the base address: the mark with its reason, then the reply's details.
int rdapLookup(CommandIo& io, const std::string& base, const std::string& name) {
    RdapClient client;
    const RdapOutcome outcome = client.lookup(base, name);
    static constexpr const char* kMarks[] = {"free", "registered", "failed"};
    io.out << kMarks[static_cast<int>(outcome.mark)] << ": " << outcome.reason << '\n';
    if (outcome.retryAfter) {
        io.out << "retry after: " << outcome.retryAfter->count() << " s\n";
    }
    if (outcome.details != outcome.reason) {
        io.out << outcome.details << '\n';
    }
    io.out.flush();
    if (outcome.mark == RdapMark::Failed) {
        io.err << "corvantide-cli whois: " << plainReason(outcome.reason, base) << '\n';
        return 1;
    }
    return io.out ? 0 : 1;
}

class WhoisCommand : public Command {
public:
    std::string name() const override { return "whois"; }
    std::string summary() const override {
        return "one WHOIS exchange, print the raw reply (an https:// host: one RDAP lookup)";
    }

    void declare(CLI::App& command) override {
        command.description("Ask one WHOIS server about QUERY (for example abc.com) and print its reply exactly as "
                            "received.\nThe query goes out as it stands, followed by CR LF.");
        command.add_option("QUERY", m_query, "the query, for example abc.com")->required();
        command
            .add_option(
                "--host", m_host,
                "the server to ask, on port 43 unless PORT is given (default: " + std::string(TNetWhois::kDefaultHost) +
                    "); or an RDAP base address (https://... or http://...): one RDAP lookup of QUERY, "
                    "printing free, registered or failed with the status line, then the reply's JSON "
                    "pretty-printed")
            ->type_name("HOST[:PORT]");
        command.footer("The connect may take at most 10 s, each wait for reply data at most 6 s, and the reply "
                       "may hold at most\n4 MiB. On failure the reason goes to standard error and the exit status "
                       "is 1.");
    }

    int run(CommandIo& io) override {
        if (m_host.empty()) {
            throw UsageError("--host is empty");
        }
        if (lookupKindOf(m_host) == LookupKind::Rdap) {
            return rdapLookup(io, std::string(trim(m_host)), m_query);
        }
        TNetWhois whois;
        whois.SetServer(m_host);
        std::string reply;
        try {
            reply = whois.Lookup(m_query);
        } catch (const ENetException& error) {
            io.err << "corvantide-cli whois: " << plainReason(error.what(), m_host) << '\n';
            return 1;
        }
        io.out.write(reply.data(), static_cast<std::streamsize>(reply.size()));
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    std::string m_query;
    std::string m_host = TNetWhois::kDefaultHost;
};

} // namespace

std::unique_ptr<Command> makeWhoisCommand() {
    return std::make_unique<WhoisCommand>();
}

} // namespace cvt::cli
