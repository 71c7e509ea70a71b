#pragma once
// A serial device that a server on the network has: "tcp://host:port" carries the raw bytes
// both ways and nothing else; "rfc2217://host:port" speaks telnet with the com port control
// option, so the line settings, the modem lines and line errors go over the wire as well.
#include "DeviceLink.h"
#include "TelnetComPort.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace tg::platform {

class NetLink : public DeviceLink {
public:
    // How long a connection may take to be made, and the server to answer a request.
    static constexpr int kConnectMs = 3000;
    static constexpr int kAnswerMs = 2000;

    NetLink();
    ~NetLink() override;

    static bool isNetworkName(const QString &port);
    // Say in plain words why a network port could not be opened (err as open() gave it) or
    // its line could not be set up (err as applyLine() gave it), and what to do.
    static QString explainOpenFailure(const QString &port, int err);
    static QString explainSettingsFailure(const QString &port, int err);

    // Errors: EINVAL for a name without host or port, EHOSTUNREACH for a host that cannot be
    // found, ECONNREFUSED, ETIMEDOUT, or what connect() said.
    int open(const QString &port) override;
    // Ends the connection in order and waits (kAnswerMs at most) for the server to end its
    // side, so that a server serving one client at a time is free for the next connection.
    int close() override;
    size_t received(char *buf, size_t n) override;
    void lost() override;
    // Over telnet, waits for the server to take com port control (EPROTONOSUPPORT when it
    // refuses) and to answer the data format requests: an answer that differs from the
    // request is a refusal (EINVAL), no answer in time ETIMEDOUT. Over plain TCP the settings
    // have nowhere to go and are taken as they are.
    int applyLine(const DeviceControlBlock &dcb) override;
    int purge() override;
    int modemLines(uint32_t &lines) override;
    bool lineErrors(uint32_t &errors) override;
    int noticeFd() const override { return m_telnet ? m_noticeFd : -1; }
    ptrdiff_t write(const char *buf, size_t size, int64_t deadline, int &err) override;
    bool pendingOutput() const override;
    void flushPending() override;

private:
    int connectTo(const std::string &host, const std::string &service);
    // Queues protocol bytes and sends what the deadline allows; the rest goes out later.
    int sendControl(const std::string &bytes, int64_t deadline);
    // Sends the queued protocol bytes; the caller holds m_sendMutex. True when all went out.
    bool flushOutbox(int64_t deadline, int &err);
    // Waits for the server until pred holds; 0, or why it did not come.
    template <typename Pred>
    int awaitServer(std::unique_lock<std::mutex> &lock, int64_t deadline, Pred pred);

    std::unique_ptr<TelnetComPort> m_telnet; // none over plain TCP
    int m_noticeFd = -1;

    mutable std::mutex m_sessionMutex; // the telnet session and m_lost
    std::condition_variable m_progress;
    bool m_lost = false;

    // Bytes go out in one stream: whoever writes holds m_sendMutex, and protocol bytes that
    // could not go out at once wait in the outbox, ahead of anything written later.
    std::mutex m_sendMutex;
    mutable std::mutex m_outboxMutex;
    std::string m_outbox;
};

} // namespace tg::platform
