#include "tests/support/FakeTlsServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace cvt::test {

namespace {

SSL_CTX* context(void* raw) {
    return static_cast<SSL_CTX*>(raw);
}

// Waits until fd is ready for events or the stop descriptor fires: false when stopping.
bool waitFor(int fd, short events, int stopFd) {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && fds[1].revents == 0;
    }
}

// Drives one TLS call on a non-blocking socket to its end; false on failure or stop.
template <typename Call>
bool drive(SSL* ssl, int fd, int stopFd, Call&& call) {
    for (;;) {
        const int result = call();
        if (result > 0) {
            return true;
        }
        const int error = SSL_get_error(ssl, result);
        if (error == SSL_ERROR_WANT_READ) {
            if (!waitFor(fd, POLLIN, stopFd)) {
                return false;
            }
        } else if (error == SSL_ERROR_WANT_WRITE) {
            if (!waitFor(fd, POLLOUT, stopFd)) {
                return false;
            }
        } else {
            return false;
        }
    }
}

} // namespace

FakeTlsServer::FakeTlsServer(const std::string& certFile, const std::string& keyFile, std::uint16_t backendPort)
    : m_backendPort(backendPort) {
    SSL_CTX* made = SSL_CTX_new(TLS_server_method());
    m_context = made;
    if (made == nullptr || SSL_CTX_use_certificate_file(made, certFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(made, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(made);
        throw std::runtime_error("FakeTlsServer: cannot load " + certFile);
    }
    SSL_CTX_set_mode(made, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || m_stopFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listenFd, 64) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        SSL_CTX_free(made);
        throw std::runtime_error("FakeTlsServer: cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { serve(); });
}

FakeTlsServer::~FakeTlsServer() {
    stop();
    ::close(m_listenFd);
    ::close(m_stopFd);
    SSL_CTX_free(context(m_context));
}

std::string FakeTlsServer::url(std::string_view path) const {
    return "https://localhost:" + std::to_string(m_port) + std::string(path);
}

void FakeTlsServer::stop() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopped) {
            return;
        }
        m_stopped = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
    m_acceptThread.join();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void FakeTlsServer::serve() {
    while (waitFor(m_listenFd, POLLIN, m_stopFd)) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        const std::lock_guard lock(m_mutex);
        m_threads.emplace_back([this, fd] { relay(fd); });
    }
}

void FakeTlsServer::relay(int clientFd) {
    SSL* ssl = SSL_new(context(m_context));
    SSL_set_fd(ssl, clientFd);
    int backendFd = -1;
    if (drive(ssl, clientFd, m_stopFd, [&] { return SSL_accept(ssl); })) {
        ++m_handshakes;
        backendFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in backend{};
        backend.sin_family = AF_INET;
        backend.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        backend.sin_port = htons(m_backendPort);
        if (::connect(backendFd, reinterpret_cast<sockaddr*>(&backend), sizeof backend) == 0) {
            ::fcntl(backendFd, F_SETFL, O_NONBLOCK);
            char block[65536];
            bool open = true;
            while (open) {
                if (SSL_pending(ssl) == 0) {
                    pollfd fds[3] = {{clientFd, POLLIN, 0}, {backendFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
                    if (::poll(fds, 3, -1) < 0 && errno != EINTR) {
                        break;
                    }
                    if (fds[2].revents != 0) {
                        break;
                    }
                    if (fds[1].revents != 0) {
                        const ssize_t got = ::recv(backendFd, block, sizeof block, 0);
                        if (got <= 0) {
                            if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                                if (m_closeNotify) {
                                    SSL_shutdown(ssl);
                                }
                                break;
                            }
                        } else {
                            std::size_t done = 0;
                            while (open && done < static_cast<std::size_t>(got)) {
                                std::size_t written = 0;
                                open = drive(ssl, clientFd, m_stopFd, [&] {
                                    return SSL_write_ex(ssl, block + done, static_cast<std::size_t>(got) - done,
                                                        &written);
                                });
                                done += written;
                            }
                        }
                    }
                    if (fds[0].revents == 0) {
                        continue;
                    }
                }
                std::size_t read = 0;
                const int result = SSL_read_ex(ssl, block, sizeof block, &read);
                if (result == 1) {
                    std::size_t done = 0;
                    while (done < read) {
                        const ssize_t sent = ::send(backendFd, block + done, read - done, MSG_NOSIGNAL);
                        if (sent < 0 && errno == EAGAIN && waitFor(backendFd, POLLOUT, m_stopFd)) {
                            continue;
                        }
                        if (sent <= 0) {
                            open = false;
                            break;
                        }
                        done += static_cast<std::size_t>(sent);
                    }
                } else if (SSL_get_error(ssl, result) != SSL_ERROR_WANT_READ) {
                    open = false;
                }
            }
        }
    }
    ERR_clear_error();
    SSL_free(ssl);
    if (backendFd >= 0) {
        ::close(backendFd);
    }
    ::close(clientFd);
}

} // namespace cvt::test
