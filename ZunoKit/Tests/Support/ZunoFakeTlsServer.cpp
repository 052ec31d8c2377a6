#include "ZunoFakeTlsServer.h"

#include <QList>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

struct ZunoFakeTlsServer::Impl {
    Handler handler;
    SSL_CTX *context = nullptr;
    int listener = -1;
    quint16 port = 0;
    std::atomic<bool> stopping { false };
    std::thread thread;

    bool makeCertificate(const QByteArray &certificateFile)
    {
        EVP_PKEY *key = EVP_EC_gen("P-256");
        X509 *certificate = X509_new();
        if (!key || !certificate)
            return false;
        X509_set_version(certificate, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
        X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
        X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
        X509_set_pubkey(certificate, key);
        X509_NAME *name = X509_get_subject_name(certificate);
        X509_NAME_add_entry_by_txt(
            name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(certificate, name);
        X509V3_CTX extensions;
        X509V3_set_ctx(&extensions, certificate, certificate, nullptr, nullptr, 0);
        const std::pair<int, const char *> wanted[] = {
            { NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost" },
            { NID_basic_constraints, "critical,CA:TRUE" },
            { NID_key_usage, "critical,digitalSignature,keyCertSign" },
        };
        for (const auto &[nid, value] : wanted) {
            X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &extensions, nid, value);
            if (!extension)
                return false;
            X509_add_ext(certificate, extension, -1);
            X509_EXTENSION_free(extension);
        }
        bool made = X509_sign(certificate, key, EVP_sha256()) > 0;
        if (made) {
            FILE *file = std::fopen(certificateFile.constData(), "w");
            made = file && PEM_write_X509(file, certificate) == 1;
            if (file)
                made = std::fclose(file) == 0 && made;
        }
        context = SSL_CTX_new(TLS_server_method());
        made = made && context && SSL_CTX_use_certificate(context, certificate) == 1
            && SSL_CTX_use_PrivateKey(context, key) == 1;
        X509_free(certificate);
        EVP_PKEY_free(key);
        return made;
    }

    bool listen()
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener < 0)
            return false;
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(listener, 16) != 0
            || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return false;
        port = ntohs(address.sin_port);
        return true;
    }

    void serve(int client)
    {
        // Bounded waits: a client that stops talking cannot hold the thread.
        timeval limit { 5, 0 };
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        SSL *ssl = SSL_new(context);
        SSL_set_fd(ssl, client);
        if (SSL_accept(ssl) == 1) {
            QByteArray head;
            char buffer[4096];
            while (!head.contains("\r\n\r\n") && head.size() < 64 * 1024) {
                const int count = SSL_read(ssl, buffer, sizeof buffer);
                if (count <= 0)
                    break;
                head.append(buffer, count);
            }
            if (head.contains("\r\n\r\n")) {
                const QByteArray target = head.left(head.indexOf("\r\n")).split(' ').value(1);
                const QByteArray reply = handler(target);
                SSL_write(ssl, reply.constData(), static_cast<int>(reply.size()));
            }
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
        ::close(client);
    }

    void run()
    {
        while (!stopping) {
            pollfd watched { listener, POLLIN, 0 };
            if (::poll(&watched, 1, 50) <= 0)
                continue;
            const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0)
                serve(client);
        }
    }
};

ZunoFakeTlsServer::ZunoFakeTlsServer(const QByteArray &certificateFile, Handler handler)
    : d(std::make_unique<Impl>())
{
    d->handler = std::move(handler);
    if (d->makeCertificate(certificateFile) && d->listen())
        d->thread = std::thread([this] { d->run(); });
}

ZunoFakeTlsServer::~ZunoFakeTlsServer()
{
    d->stopping = true;
    if (d->thread.joinable())
        d->thread.join();
    if (d->listener >= 0)
        ::close(d->listener);
    if (d->context)
        SSL_CTX_free(d->context);
}

bool ZunoFakeTlsServer::isListening() const
{
    return d->thread.joinable();
}

QByteArray ZunoFakeTlsServer::url(const QByteArray &path) const
{
    return "https://127.0.0.1:" + QByteArray::number(d->port) + path;
}
