// SPDX-License-Identifier: MIT
// Mapping a buffer's pages ahead of writing changes nothing it holds, for
// any range: unaligned, tiny, the whole buffer, or none.
#include "core/memory.h"

#include <QTest>

#include <cstring>
#include <vector>

class tst_memory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prefault_keepsWhatIsWritten_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("bytes");
        QTest::newRow("nothing") << 0 << 0;
        QTest::newRow("one byte") << 1 << 1;
        QTest::newRow("below a few pages") << 100 << 8000;
        QTest::newRow("unaligned, many pages") << 123 << 300001;
        QTest::newRow("the whole buffer") << 0 << (1 << 20);
        QTest::newRow("up to its end") << 4093 << (1 << 20) - 4093;
    }
    void prefault_keepsWhatIsWritten()
    {
        QFETCH(int, offset);
        QFETCH(int, bytes);
        std::vector<unsigned char> buffer(1 << 20);
        for (size_t i = 0; i < buffer.size(); ++i)
            buffer[i] = static_cast<unsigned char>(i * 7 + 3);
        const std::vector<unsigned char> before = buffer;
        oq::prefaultForWriting(buffer.data() + offset, size_t(bytes));
        QVERIFY(buffer == before);
        // And the room is still there to be written.
        std::memset(buffer.data() + offset, 0xAB, size_t(bytes));
        for (int i = 0; i < bytes; i += 4096)
            QCOMPARE(buffer[size_t(offset + i)], 0xAB);
    }
};

QTEST_GUILESS_MAIN(tst_memory)
#include "tst_memory.moc"
