// The program's command line, one argument per NUL-separated piece of the input. Whatever is
// typed, the parse ends in one action; a run takes only values within their ranges, and a
// refusal says why.

#include <QCoreApplication>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "automation/CommandLineOptions.h"
#include "protocol/ReplyTiming.h"

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "command line fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorta-tester"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList args{QStringLiteral("vorta-tester")};
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            if (i > start || i < size) {
                args << QString::fromUtf8(reinterpret_cast<const char*>(data + start), static_cast<int>(i - start));
            }
            start = i + 1;
        }
    }
    using Action = CommandLineOptions::Action;
    const auto parsed = CommandLineOptions::Parse(args);
    switch (parsed.action) {
    case Action::Run: {
        const CommandLineOptions& o = parsed.options;
        if (o.p2Ms && (*o.p2Ms < 0 || *o.p2Ms > ReplyTiming::kMaxP2Ms)) Broken("--p2 out of range taken");
        if (o.p1Ms && (*o.p1Ms < 0 || *o.p1Ms > ReplyTiming::kMaxP1Ms)) Broken("--p1 out of range taken");
        if (!o.ptyLink.isEmpty() && !o.pty) Broken("--pty-link taken without --port pty");
        break;
    }
    case Action::Fail:
        if (parsed.text.isEmpty()) Broken("a refusal without a reason");
        break;
    case Action::ShowHelp:
    case Action::ShowVersion:
        if (parsed.text.isEmpty()) Broken("help or version without text");
        break;
    }
    return 0;
}
