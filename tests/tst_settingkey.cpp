#include "settings/settingkey.h"
#include "settings/settingsstore.h"
#include "tests/support/memorysettingsfile.h"
#include "tests/support/testenvironment.h"

#include <QtTest>

#include <iterator>

namespace {

// A 1024 x 768 screen at 96 dots per inch.
const QSizeF Screen(15360, 11520);
const PlacementArea Area { Screen, { QRectF(QPointF(0, 0), Screen) }, 3645, 491505 };

// Also notes which keys were asked for.
class ReadRecordingFile : public MemorySettingsFile
{
public:
    std::optional<QString> value(const QString &section, const QString &key) const override
    {
        reads << section + QLatin1Char('/') + key;
        return MemorySettingsFile::value(section, key);
    }

    mutable QStringList reads;
};

QString fullName(const SettingKey &key)
{
    return key.sectionText() + QLatin1Char('/') + key.nameText();
}

} // namespace

class TestSettingKey : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startUpReadsEveryKeyOfTheTable();
    void endOfSessionWritesEveryKey_data();
    void endOfSessionWritesEveryKey();
};

void TestSettingKey::startUpReadsEveryKeyOfTheTable()
{
    ReadRecordingFile file;
    SettingsStore(file).read(Area);
    QStringList table;
    for (const SettingKey *key : SettingKeys::All)
        table << fullName(*key);
    table.sort();
    file.reads.sort();
    QCOMPARE(file.reads, table);
}

void TestSettingKey::endOfSessionWritesEveryKey_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("written");
    for (int index = 0; index < int(std::size(SettingKeys::All)); ++index) {
        const QString name = fullName(*SettingKeys::All[index]);
        QTest::newRow(qPrintable(name)) << index << (name != QLatin1String("Options/CheckDefault"));
    }
}

void TestSettingKey::endOfSessionWritesEveryKey()
{
    QFETCH(int, index);
    QFETCH(bool, written);
    const SettingKey &key = *SettingKeys::All[index];
    MemorySettingsFile file;
    SettingsStore store(file);
    store.SaveRegisterSettings(store.read(Area));
    QCOMPARE(file.writes.count(fullName(key)), written ? 1 : 0);
    // What stands in for a missing value is written back as the same text.
    if (written && key.defaultText)
        QCOMPARE(file.values.value(fullName(key)), QString::fromLatin1(key.defaultText));
}

OMRIK_TEST_MAIN(TestSettingKey)
#include "tst_settingkey.moc"
