#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A session bus of the test's own: a dbus-daemon that activates no service, so no real portal
// answers on it.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    bool isRunning() const { return !m_address.isEmpty(); }
    // A new connection to the bus, under a name of its own.
    QDBusConnection connect(const QString& name) const;

  private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
};

// The desktop portal's Screenshot, Registry and permission store, and one back end of it, on its
// own connection, answering as the test says. It answers at once, before its reply to the call,
// so a client that listened only after the call would miss the answer.
class FakePortal final : public QDBusVirtualObject {
  public:
    enum class Answer {
        Picture,     // response 0 with a PNG it wrote
        NotAPicture, // response 0 with a file of text
        Cancelled,   // response 1
        Refused,     // response 2
        Nothing,     // never answers
        // As GNOME does, where the back end's Screenshot is version 2 or later: with "yes" stored
        // a picture, with "no" a refusal; with nothing stored, only a request naming a parent
        // window gets the question, which is granted (or held, see `holdsQuestion`); while it
        // shows, other requests get no answer. Below version 2, as Plasma and wlroots do: a
        // picture for every request.
        OnlyWithParent,
    };
    // The back end's org.freedesktop.impl.portal.Screenshot version; none: it has no such
    // property (Plasma's).
    static constexpr const char* kBackend = "org.freedesktop.impl.portal.desktop.fake";

    FakePortal(const PrivateBus& bus, QImage picture);
    // On a connection of the caller's, as the stand-alone fake_portal program has it.
    FakePortal(QDBusConnection bus, QImage picture);
    ~FakePortal() override;

    Answer answer = Answer::Picture;
    bool offersRegistry = true;
    std::optional<uint> backendVersion = 2;
    QString permission;         // stored for org.example.Deskwreck: "yes", "no" or nothing
    bool holdsQuestion = false; // the question waits for answerQuestion()
    int answerDelayMs = 0;      // answers then, a Close or not
    // What the game asked, in order: "Register <id>", "Lookup", "Screenshot <parent>", "Close".
    // Versions asked of the back end are not listed.
    QStringList calls;
    QStringList files; // every file it handed out
    bool echo = false; // each call, and each file handed out, also printed on a line of its own

    // Answers the question held, as the player would.
    void answerQuestion(bool allow);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    void record(const QString& call);
    void screenshot(const QDBusMessage& message);
    void lookUp(const QDBusMessage& message);
    void version(const QDBusMessage& message);
    void answerPicture(const QString& requestPath, Answer answer);
    void respond(const QString& requestPath, uint response, const QString& file);
    QString writeFile(bool picture);

    QDBusConnection m_bus;
    QImage m_picture;
    QTemporaryDir m_folder;
    bool m_ownsConnection = false;
    QString m_question; // the request path of the question showing
};
