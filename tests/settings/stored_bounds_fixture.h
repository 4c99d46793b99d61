#pragma once
// A main window over the simulated designer whose settings live in a file of
// the test's own, read back as the next start would read them.

#include "app/app_fixture.h"
#include "platform/settings_store_file.h"
#include "support/temp_dir.h"

#include <memory>

namespace strovex::test {

inline const std::u16string kMainFormKey = u"Software\\Orvandel\\Strovexia\\2.0\\MainFormSettings";

class StoredBoundsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        setSettingsStore(store);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        setSettingsStore(nullptr);
    }

    TempDir dir;
    QString file = dir.file(QStringLiteral("Strovex/settings.json"));
    std::shared_ptr<FileSettingsStore> store = std::make_shared<FileSettingsStore>(file);
};

} // namespace strovex::test
