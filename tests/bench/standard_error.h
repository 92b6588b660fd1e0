// What the bench says on standard error while a piece of a test runs.
#pragma once

#include <unistd.h>

#include <QByteArray>
#include <QTemporaryFile>
#include <cstdio>

// Standard error goes to a file from construction until Text() is first asked for.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        file_.open();
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { Restore(); }

    QByteArray Text() {
        Restore();
        file_.seek(0);
        return file_.readAll();
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    QTemporaryFile file_;
    int saved_ = -1;
};
