// Replays the fuzz target's corpus through the receiver checks, so that every
// case the fuzzer found stays fixed.

#include "ReceiverCheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestReceiverCorpus : public QObject {
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(SLX_RECEIVER_CORPUS));
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!names.isEmpty(), "empty corpus");
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void replay()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const char *failure =
            slxfuzz::checkReceiver(reinterpret_cast<const std::uint8_t *>(data.constData()), std::size_t(data.size()));
        QVERIFY2(!failure, failure);
    }
};

QTEST_APPLESS_MAIN(TestReceiverCorpus)
#include "tst_receiver_corpus.moc"
