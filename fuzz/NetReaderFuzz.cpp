// The connection's line and count readers over scripted byte streams: no real sockets, every
// receive, pause, interruption and failure comes from the input.
//
// Input layout: 4 setting bytes (terminator, line limit and action, receive block size, ASCII
// filter), then a program of operations until a 0xFF byte, then the peer's script: one kind byte
// per event, data events followed by a length byte and that many bytes.
#include "net/socket/NetExceptions.h"
#include "net/socket/TNetTCPClient.h"
#include "tests/support/ScriptedSocketApi.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_position >= m_size; }
    uint8_t byte() { return empty() ? 0 : m_data[m_position++]; }
    std::string bytes(size_t count) {
        std::string text;
        while (count-- > 0 && !empty()) {
            text += static_cast<char>(m_data[m_position++]);
        }
        return text;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::ScriptedSocketApi;
    Input input(data, size);
    static const char* const kTerminators[] = {"\n", "\r\n", "", "|", "ab"};
    const std::string terminator = kTerminators[input.byte() % 5];
    const uint8_t limitByte = input.byte();
    const int maxLength = (limitByte & 0x7F) % 40 == 39 ? -1 : (limitByte & 0x7F) % 40;
    const auto action = (limitByte & 0x80) != 0 ? cvt::TNetMaxLineAction::maSplit : cvt::TNetMaxLineAction::maException;
    const int recvBlock = 1 + input.byte() % 16;
    const bool asciiFilter = (input.byte() & 1) != 0;

    std::vector<uint8_t> program;
    while (!input.empty()) {
        const uint8_t op = input.byte();
        if (op == 0xFF || program.size() >= 64) {
            break;
        }
        program.push_back(op);
    }

    ScriptedSocketApi api;
    std::string delivered;
    while (!input.empty()) {
        switch (input.byte() % 8) {
        case 0:
        case 1:
        case 2: {
            std::string bytes = input.bytes(input.byte());
            if (!bytes.empty()) {
                delivered += bytes;
                api.incoming.push_back(ScriptedSocketApi::data(std::move(bytes)));
            }
            break;
        }
        case 3:
            api.incoming.push_back(ScriptedSocketApi::peerClose());
            break;
        case 4: {
            static const int kErrors[] = {ECONNRESET, ECONNABORTED, ESHUTDOWN, ETIMEDOUT};
            api.incoming.push_back(ScriptedSocketApi::recvError(kErrors[input.byte() % 4]));
            break;
        }
        case 5:
            api.incoming.push_back(ScriptedSocketApi::waitTimeout());
            break;
        case 6:
            api.incoming.push_back(ScriptedSocketApi::waitInterrupt());
            break;
        default:
            api.incoming.push_back(ScriptedSocketApi::recvInterrupt());
            break;
        }
    }
    api.sendLimit = 1 + recvBlock % 5;

    cvt::TNetTCPClient client;
    client.SetSocketApi(api);
    client.SetHost("LOCALHOST");
    client.SetPort(43);
    client.SetReadTimeout(100);
    client.SetRecvBufferSize(recvBlock);
    client.SetMaxLineAction(action);
    client.SetASCIIFilter(asciiFilter);
    client.OpenConnection();

    // Counted and to-close reads hand bytes over unchanged, so as long as only they run, what they
    // returned plus what is still buffered is exactly the start of what the peer sent.
    bool exactSoFar = !asciiFilter;
    std::string exact;
    for (const uint8_t op : program) {
        std::string stream;
        try {
            switch (op % 6) {
            case 0: {
                exactSoFar = false;
                const std::string line = client.ReceiveLine(terminator, -1, maxLength);
                const int limit = maxLength == -1 ? client.MaxLineLength() : maxLength;
                check(limit == 0 || line.size() <= static_cast<size_t>(limit));
                check(line.find(terminator.empty() ? "\n" : terminator) == std::string::npos ||
                      action == cvt::TNetMaxLineAction::maSplit);
                break;
            }
            case 1: {
                const std::int64_t n = op / 6;
                client.ReceiveCount(stream, n);
                check(stream.size() == static_cast<size_t>(n));
                break;
            }
            case 2:
                client.ReceiveToClose(stream);
                check(!client.IsConnected());
                break;
            case 3:
                client.PollClosed();
                break;
            case 4:
                client.SendBytes(std::string(op / 6, 'q'), (op & 1) != 0);
                break;
            default:
                exactSoFar = false;
                client.CloseConnection();
                check(client.State() == cvt::TNetConnectionState::Idle);
                client.OpenConnection();
                break;
            }
        } catch (const cvt::ENetReadLnMaxLineLengthExceeded&) {
        } catch (const cvt::ENetException&) {
            // Failures of the scripted peer end the operation; the next one starts from the state
            // they left.
        }
        // A failed counted read keeps the blocks it completed.
        check(op % 6 == 1 ? stream.size() <= static_cast<size_t>(op / 6) : true);
        exact += stream;
        if (exactSoFar) {
            const std::string seen = exact + client.InputBuffer();
            check(delivered.compare(0, seen.size(), seen) == 0);
        }
    }
    client.CloseConnection();
    check(api.openSockets == 0);
    return 0;
}
