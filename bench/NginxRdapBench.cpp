// RDAP lookups over one kept-alive TLS connection against a real web server, beside a reference
// client doing the same work in the same run: nginx (Debian's nginx-light, started here on
// 127.0.0.1 with a test certificate) serves one static JSON reply per name under
// /rdap/domain/NAME; the RDAP client asks for 3,000 names on one connection, and so does one curl
// process given the same URLs (one "url =" line each). Each side runs three rounds; the best round
// counts. Reported: both times, ours divided by curl's ("ratio", the goal is at most 1.1), and the
// same for the CPU time of the asking side ("cpu_ratio"). Skips with a message when nginx or curl
// is not installed.
#include "net/rdap/RdapClient.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <algorithm>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kLookups = 3000;
constexpr int kRounds = 3;

std::string findProgram(std::initializer_list<const char*> candidates) {
    for (const char* path : candidates) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Starts a program with its output (both streams) going to `log`.
pid_t spawn(const std::vector<std::string>& arguments, const fs::path& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + arguments[0]);
    }
    return pid;
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// A port on 127.0.0.1 that was free a moment ago (nginx takes its port from its configuration).
std::uint16_t freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!ok) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    return ntohs(address.sin_port);
}

bool accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return connected;
}

// nginx in the foreground, as one process, serving `folder`/html over TLS; stopped when destroyed.
class NginxServer {
public:
    NginxServer(const std::string& program, const fs::path& folder, const cvt::test::TestLeaf& leaf)
        : m_port(freeLoopbackPort()) {
        const std::string prefix = folder.string();
        std::ofstream(folder / "nginx.conf")
            << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
            << "pid " << prefix << "/nginx.pid;\nerror_log " << prefix << "/error.log;\n"
            << "events { worker_connections 64; }\n"
            << "http {\n  access_log off;\n"
            << "  client_body_temp_path " << prefix << "/body;\n  proxy_temp_path " << prefix << "/proxy;\n"
            << "  fastcgi_temp_path " << prefix << "/fastcgi;\n  uwsgi_temp_path " << prefix << "/uwsgi;\n"
            << "  scgi_temp_path " << prefix << "/scgi;\n"
            << "  keepalive_requests 1000000;\n  keepalive_timeout 300s;\n"
            << "  server {\n    listen 127.0.0.1:" << m_port << " ssl;\n"
            << "    ssl_certificate " << leaf.certFile << ";\n    ssl_certificate_key " << leaf.keyFile << ";\n"
            << "    root " << prefix << "/html;\n    default_type application/rdap+json;\n  }\n}\n";
        m_pid = spawn({program, "-p", prefix, "-c", prefix + "/nginx.conf", "-e", prefix + "/error.log"},
                      folder / "nginx.out");
        for (int i = 0; i < 500 && !accepts(m_port); ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                throw std::runtime_error("nginx ended at start; see " + prefix + "/error.log");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~NginxServer() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    std::string base() const { return "https://localhost:" + std::to_string(m_port) + "/rdap/"; }

private:
    std::uint16_t m_port;
    pid_t m_pid = -1;
};

std::vector<std::string> writeReplies(const fs::path& folder) {
    const fs::path domains = folder / "html" / "rdap" / "domain";
    fs::create_directories(domains);
    std::vector<std::string> names;
    for (int i = 0; i < kLookups; ++i) {
        names.push_back("name" + std::to_string(i) + ".info");
        std::ofstream(domains / names.back())
            << R"({"objectClassName":"domain","ldhName":")" << names.back()
            << R"(","status":["active"],"events":[{"eventAction":"registration","eventDate":"2020-01-01T00:00:00Z"}]})";
    }
    return names;
}

Timing timeCurl(const std::string& curl, const fs::path& folder, const std::string& caFile) {
    int status = 0;
    rusage usage{};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(
        {curl, "--silent", "--show-error", "--fail", "--cacert", caFile, "--config", (folder / "curl.conf").string()},
        folder / "curl.out");
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("curl failed; see " + (folder / "curl.out").string());
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    return {wall.count(), seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

Timing timeClient(const std::string& base, const std::vector<std::string>& names) {
    rusage before{};
    rusage after{};
    ::getrusage(RUSAGE_THREAD, &before);
    const auto start = std::chrono::steady_clock::now();
    cvt::RdapClient client;
    for (const std::string& name : names) {
        if (client.lookup(base, name).mark != cvt::RdapMark::Registered) {
            throw std::runtime_error("lookup of " + name + " failed");
        }
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    ::getrusage(RUSAGE_THREAD, &after);
    return {wall.count(),
            seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime)};
}

void BM_RdapKeepAliveAgainstCurl(benchmark::State& state) {
    const std::string nginx = findProgram({"/usr/sbin/nginx", "/usr/local/sbin/nginx"});
    const std::string curl = findProgram({"/usr/bin/curl", "/usr/local/bin/curl"});
    if (nginx.empty() || curl.empty()) {
        state.SkipWithError(nginx.empty() ? "nginx is not installed (Debian: nginx-light); skipped"
                                          : "curl is not installed; skipped");
        return;
    }
    cvt::test::TempDir folder;
    cvt::test::TestCertificates certificates(folder.path());
    const cvt::test::TestLeaf leaf = certificates.localhost();
    ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
    const std::vector<std::string> names = writeReplies(folder.path());
    try {
        NginxServer server(nginx, folder.path(), leaf);
        {
            std::ofstream config(folder.path() / "curl.conf");
            for (const std::string& name : names) {
                config << "url = \"" << cvt::RdapClient::lookupUrl(server.base(), name)
                       << "\"\noutput = \"/dev/null\"\n";
            }
        }
        Timing ours{1e9, 1e9};
        Timing reference{1e9, 1e9};
        for (auto _ : state) {
            for (int round = 0; round < kRounds; ++round) {
                const Timing curlRound = timeCurl(curl, folder.path(), certificates.caFile());
                reference = {std::min(reference.wall, curlRound.wall), std::min(reference.cpu, curlRound.cpu)};
                const Timing clientRound = timeClient(server.base(), names);
                ours = {std::min(ours.wall, clientRound.wall), std::min(ours.cpu, clientRound.cpu)};
            }
            state.SetIterationTime(ours.wall);
        }
        state.counters["ours_ms"] = ours.wall * 1000;
        state.counters["curl_ms"] = reference.wall * 1000;
        state.counters["ratio"] = ours.wall / reference.wall;
        state.counters["cpu_ratio"] = reference.cpu > 0 ? ours.cpu / reference.cpu : 0;
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
    ::unsetenv("SSL_CERT_FILE");
}
BENCHMARK(BM_RdapKeepAliveAgainstCurl)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
