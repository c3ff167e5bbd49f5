#include "server/edit_server.h"

#include "huedata/hue_view.h"
#include "server/diff_service.h"
#include "server/editor_service.h"
#include "server/system.h"

#include "huedata/hue_file.h"

// Boost 1.74's Asio uses std::exchange without including <utility> itself.
#include <utility>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <chrono>
#include <csignal>
#include <memory>
#include <vector>

namespace server {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

// A request's header may be as long as cpp-httplib allows one: 8 KiB.
constexpr std::uint32_t MostHeaderBytes = 8192;
constexpr auto ReadTimeout = std::chrono::seconds(30);

// What a server answers, and whether it has been asked to stop.
struct Service {
    std::function<EditorResponse(const EditorRequest&)> handle;
    std::function<bool()> stopAsked;
};

// One connection: requests read and answered in turn until the client closes it.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, const Service& service)
        : stream_(std::move(socket)), service_(service) {}

    void Start() { Read(); }

private:
    void Read() {
        parser_.emplace();
        parser_->header_limit(MostHeaderBytes);
        parser_->body_limit(MostEditorRequestBytes);
        stream_.expires_after(ReadTimeout);
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code error, std::size_t) {
                             self->OnRead(error);
                         });
    }

    void OnRead(beast::error_code error) {
        if (error == http::error::body_limit) {
            return Write(Response(413, "application/json",
                                  R"({"error":"the request is larger than any patch can be"})",
                                  false));
        }
        if (error) return Close();
        const auto& request = parser_->get();
        const auto field = [&](http::field name) {
            const auto found = request.find(name);
            return found == request.end() ? std::string() : std::string(found->value());
        };
        const EditorResponse answer = service_.handle({
            .method = std::string(request.method_string()),
            .target = std::string(request.target()),
            .host = field(http::field::host),
            .origin = field(http::field::origin),
            .contentType = field(http::field::content_type),
            .body = request.body(),
        });
        Write(Response(answer.status, answer.contentType, answer.body, request.keep_alive()));
    }

    static std::shared_ptr<http::response<http::string_body>> Response(unsigned status,
                                                                       const std::string& type,
                                                                       std::string body,
                                                                       bool keepAlive) {
        auto response = std::make_shared<http::response<http::string_body>>(
            static_cast<http::status>(status), 11, std::move(body));
        response->set(http::field::server, "hues edit");
        response->set(http::field::content_type, type);
        // Beast of Boost 1.74 takes its own string_view: each value goes as a std::string.
        response->set("Content-Security-Policy", std::string(EditorService::SecurityPolicy()));
        response->set("X-Content-Type-Options", std::string(EditorService::NoSniff));
        response->set(http::field::cache_control, std::string(EditorService::NoStore));
        // The secret is in the page's address: never sent on as a referrer.
        response->set("Referrer-Policy", "no-referrer");
        response->keep_alive(keepAlive);
        response->prepare_payload();
        return response;
    }

    void Write(const std::shared_ptr<http::response<http::string_body>>& response) {
        http::async_write(
            stream_, *response,
            [self = shared_from_this(), response](beast::error_code error, std::size_t) {
                if (self->service_.stopAsked()) std::raise(SIGTERM);
                if (error || !response->keep_alive()) return self->Close();
                self->Read();
            });
    }

    void Close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    }

    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    const Service& service_;
};

void Accept(tcp::acceptor& acceptor, const Service& service) {
    acceptor.async_accept([&acceptor, &service](beast::error_code error, tcp::socket socket) {
        if (!error) std::make_shared<Session>(std::move(socket), service)->Start();
        if (acceptor.is_open()) Accept(acceptor, service);
    });
}

// A listening socket on the address and port, or an error saying why not. Never one shared
// with another program: on Windows a reused address could take over another's port.
beast::error_code Listen(tcp::acceptor& acceptor, const tcp::endpoint& endpoint) {
    beast::error_code error;
    acceptor.open(endpoint.protocol(), error);
    if (error) return error;
    KeepPortToOurselves(static_cast<std::uintptr_t>(acceptor.native_handle()));
    if (endpoint.address().is_v6()) acceptor.set_option(asio::ip::v6_only(true), error);
    acceptor.bind(endpoint, error);
    if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error) acceptor.close();
    return error;
}

std::function<void(std::string_view)> reportTo;
void ReportLater(const std::string& why) {
    if (reportTo) reportTo("hues: " + why + "; open the address above in a browser yourself");
}

// A server on the loopback address: listens on `port` (any free one for 0; without one, the
// preferred port or the next free one), makes its service for the port it has, says its
// address (with `what` it serves), opens the browser on it, and serves until stopped.
template <typename MakeService>
void ServeOnLoopback(std::optional<std::uint16_t> wanted, std::uint16_t preferred, bool openBrowser,
                     const EditServerIo& io, MakeService make) {
    asio::io_context context(1);
    // Caught from before the address is printed, so that a stop asked for at once is one.
    // One thread: a save runs to its end before the signal's handler runs, so stopping never
    // cuts one short.
    asio::signal_set signals(context, SIGINT, SIGTERM);
    signals.async_wait([&](beast::error_code, int) { context.stop(); });
    tcp::acceptor v4(context), v6(context);
    const auto loopback = asio::ip::make_address_v4("127.0.0.1");
    std::uint16_t port = wanted.value_or(preferred);
    for (int tries = wanted ? 1 : 20;; ++port) {
        const beast::error_code error = Listen(v4, {loopback, port});
        if (!error) break;
        if (--tries == 0 || error != asio::error::address_in_use) {
            throw huedata::HuesError(
                "cannot serve on 127.0.0.1 port " + std::to_string(port) + ": " +
                (error == asio::error::address_in_use
                     ? std::string("another program is using it; choose another "
                                   "with --port")
                     : error.message()));
        }
    }
    port = v4.local_endpoint().port();  // --port 0 takes the one the system gave
    if (!wanted && port != preferred && preferred != 0) {
        io.tell("hues: port " + std::to_string(preferred) + " is in use; serving on port " +
                std::to_string(port) + " instead");
    }
    // ::1 too, where the system has it; without it, 127.0.0.1 serves alone.
    (void)Listen(v6, {asio::ip::address_v6::loopback(), port});

    const auto [service, secret, what] = make(port);
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/?key=" + secret;
    io.printAddress(address + "\n");
    io.tell("hues: " + what + " at the address above; Ctrl+C stops");
    if (openBrowser) {
        reportTo = io.tell;
        if (const auto why = OpenInBrowser(address, ReportLater)) {
            io.tell("hues: " + *why + "; open the address above in a browser yourself");
        }
    }
    Accept(v4, service);
    if (v6.is_open()) Accept(v6, service);
    context.run();
    io.tell("hues: stopped");
}

struct Served {
    Service service;
    std::string secret;
    std::string what;
};

}  // namespace

std::size_t ServeHueEditor(const EditServerRequest& request, const EditServerIo& io) {
    if (request.fileGiven) {
        huedata::NamingTheFile([&] { return huedata::ReadableFileSize(request.file); });
    }
    std::optional<EditorService> editor;
    ServeOnLoopback(request.port, EditorPort, request.openBrowser, io, [&](std::uint16_t port) {
        editor.emplace(request.file, request.fileGiven, NewSecret(), port, request.sample,
                       request.conflicts);
        const std::size_t conflicts = request.conflicts.size();
        return Served{{[&](const EditorRequest& asked) { return editor->Handle(asked); },
                       [&] { return editor->StopAsked(); }},
                      std::string(editor->Secret()),
                      (conflicts == 0 ? std::string("editing ")
                                      : "resolving " + std::to_string(conflicts) +
                                            (conflicts == 1 ? " conflict in " : " conflicts in ")) +
                          huedata::PathText(request.file)};
    });
    return editor->ConflictsLeft();
}

void ServeDiffPage(const DiffServerRequest& request, const EditServerIo& io) {
    std::optional<DiffService> diff;
    ServeOnLoopback(request.port, 0, request.openBrowser, io, [&](std::uint16_t port) {
        diff.emplace(request.page, NewSecret(), port);
        return Served{{[&](const EditorRequest& asked) { return diff->Handle(asked); },
                       [&] { return diff->DoneAsked(); }},
                      std::string(diff->Secret()),
                      "showing " + request.what};
    });
}

}  // namespace server
