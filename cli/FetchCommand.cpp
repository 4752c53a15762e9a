#include "cli/CommandFactories.h"
#include "cli/PageFetch.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

class FetchCommand : public Command {
public:
    std::string name() const override { return "fetch"; }
    std::string summary() const override { return "print the body of a web page (HTTP/1.1 GET, http or https)"; }

    void declare(CLI::App& command) override {
        command.description("Fetch one web page with an HTTP/1.1 GET and print its body, byte for byte.\nUp to 5 "
                            "redirects are followed (http to https, never https to http);\nhttps certificates are "
                            "checked against the system's trust store\n(SSL_CERT_FILE and SSL_CERT_DIR name another).");
        command.add_option("URL", m_url, "the address of the page")->required();
    }

    int run(CommandIo& io) override {
        const FetchedPage page = fetchPage(m_url);
        io.out.write(page.body.data(), static_cast<std::streamsize>(page.body.size()));
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    std::string m_url;
};

} // namespace

std::unique_ptr<Command> makeFetchCommand() {
    return std::make_unique<FetchCommand>();
}

} // namespace cvt::cli
