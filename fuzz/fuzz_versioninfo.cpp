// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the version reader, both as a program file (an ELF
// file or a bare block) and as a block walked directly, checking that every
// answer of a file without a readable block is empty and that a translation
// is always eight upper-case hex digits.
#include "controls/versioninfo.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isTranslation(const QString &text)
{
    if (text.size() != 8)
        return false;
    for (QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);

    const TVersionInfo info(buffer);
    const QString translation = info.Translation();
    const QString product = info.StringValue(QStringLiteral("ProductName"));
    const QString version = info.FileVersion();
    info.StringValue(QString());
    info.StringValue(QStringLiteral("a\\b\\\\c"));
    const TFixedFileVersion fixed = info.FixedFileVersion();
    require(info.blockSize() <= oq::versionblock::MaxBlockSize);
    require(quint32(info.block().size()) == (info.Valid() ? info.blockSize() : 0u));
    if (!info.Valid()) {
        require(translation.isEmpty() && product.isEmpty() && version.isEmpty());
        require(fixed.ms == 0 && fixed.ls == 0);
    }
    require(translation.isEmpty() || isTranslation(translation));
    if (translation.isEmpty())
        require(product.isEmpty());
    require(info.FileDate() == TVersionInfo::NullDate());

    // The walker on the raw bytes, whatever the reader made of them.
    const QByteArrayView view(bytes);
    for (QStringView path : { u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo", u"StringFileInfo\\040904E4",
             u"\\StringFileInfo\\040904E4\\ProductName", u"\\\\\\" }) {
        QByteArrayView value;
        bool text = false;
        if (oq::versionblock::queryValue(view, path, &value, &text)) {
            require(value.empty()
                || (value.data() >= view.data() && value.data() + value.size() <= view.data() + view.size()));
            oq::versionblock::textValue(value);
        }
    }
    TFixedFileVersion raw;
    oq::versionblock::fixedFileVersion(view, &raw);
    return 0;
}
