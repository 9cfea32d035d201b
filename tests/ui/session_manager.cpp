// A minimal X session manager (XSMP over ICE, libSM) for the window's tests:
// it lets a test end the user's session for the real program as a desktop's
// session manager does, through Qt's own session management.
//
//   session_manager < COMMANDS > EVENTS
//
// Prints "SESSION_MANAGER=<address>" first (the program is started with it
// in its environment), then one line per event: "registered", "interact",
// "cancelled" (the client cancelled the shutdown), "done", "closed". Commands,
// one per line: "shutdown" asks every client to save for a shutdown that may
// interact (the log-out's question); "die" ends the session all the same.
// Ends when its standard input closes.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<SmsConn> g_clients;
std::vector<IceConn> g_connections;

void event(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

Bool acceptEveryHost(char*) { return True; }

Status registerClient(SmsConn client, SmPointer, char* previousId) {
    char* id = SmsGenerateClientID(client);
    SmsRegisterClientReply(client, id);
    std::free(id);
    std::free(previousId);
    // A new client saves its first state at once (XSMP).
    SmsSaveYourself(client, SmSaveLocal, False, SmInteractStyleNone, False);
    g_clients.push_back(client);
    event("registered");
    return 1;
}

void interactRequest(SmsConn client, SmPointer, int) {
    event("interact");
    SmsInteract(client);
}

void interactDone(SmsConn client, SmPointer, Bool cancelShutdown) {
    if (!cancelShutdown) return;
    event("cancelled");
    SmsShutdownCancelled(client);
}

void saveRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void phase2Request(SmsConn client, SmPointer) { SmsSaveYourselfPhase2(client); }

void saveDone(SmsConn, SmPointer, Bool) { event("done"); }

void closeConnection(SmsConn client, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    IceConn connection = SmsGetIceConnection(client);
    SmsCleanUp(client);
    IceSetShutdownNegotiation(connection, False);
    IceCloseConnection(connection);
    std::erase(g_clients, client);
    std::erase(g_connections, connection);
    event("closed");
}

void setProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
    std::free(properties);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i) std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn client, SmPointer) { SmsReturnProperties(client, 0, nullptr); }

Status newClient(SmsConn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
    std::memset(callbacks, 0, sizeof *callbacks);
    callbacks->register_client.callback = registerClient;
    callbacks->interact_request.callback = interactRequest;
    callbacks->interact_done.callback = interactDone;
    callbacks->save_yourself_request.callback = saveRequest;
    callbacks->save_yourself_phase2_request.callback = phase2Request;
    callbacks->save_yourself_done.callback = saveDone;
    callbacks->close_connection.callback = closeConnection;
    callbacks->set_properties.callback = setProperties;
    callbacks->delete_properties.callback = deleteProperties;
    callbacks->get_properties.callback = getProperties;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    return 1;
}

void command(const std::string& line) {
    for (SmsConn client : g_clients) {
        if (line == "shutdown")
            SmsSaveYourself(client, SmSaveBoth, True, SmInteractStyleAny, False);
        else if (line == "die")
            SmsDie(client);
    }
    for (IceConn connection : g_connections) IceFlush(connection);
}

}  // namespace

int main() {
    char error[256] = "";
    if (!SmsInitialize("imageburner-test", "1.0", newClient, nullptr, acceptEveryHost, sizeof error, error)) {
        std::fprintf(stderr, "session_manager: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "session_manager: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i) IceSetHostBasedAuthProc(listeners[i], acceptEveryHost);
    char* address = IceComposeNetworkIdList(count, listeners);
    std::printf("SESSION_MANAGER=%s\n", address);
    std::fflush(stdout);
    std::free(address);

    std::string input;
    for (;;) {
        std::vector<pollfd> watched{{STDIN_FILENO, POLLIN, 0}};
        for (int i = 0; i < count; ++i) watched.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        for (IceConn connection : g_connections) watched.push_back({IceConnectionNumber(connection), POLLIN, 0});
        if (poll(watched.data(), watched.size(), -1) < 0) return 1;
        if (watched[0].revents) {
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) return 0;
            input.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t end; (end = input.find('\n')) != std::string::npos; input.erase(0, end + 1))
                command(input.substr(0, end));
        }
        const std::vector<IceConn> connections = g_connections;  // as watched
        for (int i = 0; i < count; ++i) {
            if (!watched[1 + i].revents) continue;
            IceAcceptStatus status;
            if (IceConn connection = IceAcceptConnection(listeners[i], &status)) {
                while (IceConnectionStatus(connection) == IceConnectPending) IceProcessMessages(connection, nullptr, nullptr);
                if (IceConnectionStatus(connection) == IceConnectAccepted) g_connections.push_back(connection);
            }
        }
        for (std::size_t i = 0; i < connections.size(); ++i) {
            if (!watched[1 + count + i].revents) continue;
            if (IceProcessMessages(connections[i], nullptr, nullptr) == IceProcessMessagesIOError) {
                IceCloseConnection(connections[i]);
                std::erase(g_connections, connections[i]);
                event("closed");
            }
        }
    }
}
