#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "PtyTester.h"
#include "console/TForm1.h"
#include "settings/IniSettingsStore.h"
#include "support/QtPrinters.h"
#include "support/TextFile.h"
#include "widgets/TUiLED.h"

// The program's window, its port on a pseudo-terminal, its store in a temporary folder and
// the messages it would show caught: a test ends with none.
class ConsoleOnPty : public ::testing::Test {
protected:
    using Bytes = PtyTester::Bytes;

    void TearDown() override {
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
        form_.reset();
    }

    // The window on a store naming the tester's port, then `ini`; a restart keeps what the
    // run before stored.
    void Start(const QByteArray& ini = {}, ConsoleOptions options = {}) {
        const QString path = dir_.filePath(QStringLiteral("s.ini"));
        const QByteArray port = "COM-Port=" + tester_.DevicePath().toUtf8() + "\n";
        if (!QFile::exists(path)) WriteFile(path, "[MK-Vorta-Tester]\n" + port + ini);
        options.messageSink = [this](const QString& m) { messages_ << m; };
        form_ = std::make_unique<TForm1>(options, std::make_unique<IniSettingsStore>(path));
    }

    template <typename T = QWidget>
    T* Find(const char* name) {
        T* child = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void Press(const char* name) { QTest::mouseClick(Find(name), Qt::LeftButton); }
    bool Lit(const char* lamp) { return Find<TUiLED>(lamp)->Checked(); }

    QTemporaryDir dir_;
    PtyTester tester_;
    QStringList messages_;
    std::unique_ptr<TForm1> form_;
};
