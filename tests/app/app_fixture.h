#pragma once
// A main window over the simulated designer, with messages recorded instead of shown.

#include "app/main_window.h"
#include "automation/resolver.h"
#include "sim/sim_designer.h"
#include "ui/error_boundary.h"

#include <QApplication>
#include <QFileInfo>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>

namespace strovex::test {

struct Message {
    MessageKind kind;
    QString text;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageHandler([this](MessageKind kind, const QString &text) { messages.push_back({kind, text}); });
        table.registerServer(kProgIdVersion6, [] { return sim::createApplication(); });
    }
    void TearDown() override
    {
        window.reset();
        setMessageHandler({});
        EXPECT_EQ(sim::liveObjects(), 0) << "the simulated designer still holds objects";
    }

    // Shows the window and lets its first showing connect to the designer.
    TfrmMain &start()
    {
        window = std::make_unique<TfrmMain>(&table);
        window->show();
        QApplication::processEvents();
        QApplication::processEvents();
        return *window;
    }

    // Absolute as the designer names an open label: on Windows with its drive.
    static QString fixture(const char *name)
    {
        return QFileInfo(QStringLiteral(STROVEX_TEST_DATA_DIR "/fixtures/") + QString::fromLatin1(name)).absoluteFilePath();
    }

    InProcessServerTable table;
    std::unique_ptr<TfrmMain> window;
    std::vector<Message> messages;
};

} // namespace strovex::test
