#pragma once
// A serial port server on the loopback interface, in a thread of its own (a port opens on the
// test's thread and waits for its answers). It plays one of a few server behaviours, records
// what the client sent and sends what the test gives it.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class ComServer {
public:
    enum class Mode {
        Answer,        // takes com port control and answers every setting with its value
        AnswerOther,   // answers a rate request with 9600, whatever was asked
        RefuseOption,  // refuses com port control
        Silent,        // never says anything
        Raw,           // plain TCP: every byte is data
    };
    explicit ComServer(Mode mode);
    ~ComServer();

    // The port name a client connects with.
    QString name() const;
    int port() const { return m_port; }

    // Puts bytes on the wire as they are, for a connected client.
    void send(const QByteArray &wire);
    // Ends the connection, as a server that goes away; with reset, abruptly (TCP reset), as
    // a server that crashed with data unread.
    void hangUp(bool reset = false);

    struct Command {
        int command;
        QByteArray value;
    };
    bool connected() const { return m_connected; }
    QByteArray data() const;               // data bytes the client sent, unescaped
    std::vector<Command> commands() const; // com port commands the client sent, in order
    QByteArray optionsSeen() const;        // the client's WILL/DO/... as verb, option pairs
    QByteArray wire() const;               // everything the client sent

private:
    void run();
    void take(const char *bytes, size_t n);
    void reply(const QByteArray &bytes);

    Mode m_mode;
    int m_listen = -1;
    int m_port = 0;
    int m_wake = -1;
    int m_client = -1;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_hangUp{false};
    std::atomic<bool> m_reset{false};
    mutable std::mutex m_mutex;
    QByteArray m_outgoing, m_wire, m_data, m_options, m_pending;
    std::vector<Command> m_commands;
    std::thread m_thread;
};

// A listening socket on a free loopback port, for a test that plays the server by hand.
int listenOnLoopback(int &port);

// A port on the loopback interface that nothing listens on.
int unusedPort();
