// SPDX-License-Identifier: MIT
#include "controls/rxbuttonglyph.h"

#include <QPalette>

#include <algorithm>

namespace {

constexpr QRgb BlackRgb = 0xFF000000u;

std::unique_ptr<TGlyphCache> &cacheHolder()
{
    static std::unique_ptr<TGlyphCache> cache;
    return cache;
}

// Works on ARGB32 so that colours compare exactly; every fully transparent
// pixel becomes 0, so transparent pixels of any origin count as one colour.
QImage normalised(const QImage &image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    result.setDevicePixelRatio(1);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                line[x] = 0;
        }
    }
    return result;
}

} // namespace

TButtonColors TButtonColors::fromPalette(const QPalette &palette)
{
    // Always the active group: a disabled or inactive button keeps the face of
    // the tool bar around it, and the cached images stay valid across states.
    return { palette.color(QPalette::Active, QPalette::Button), palette.color(QPalette::Active, QPalette::Light),
        palette.color(QPalette::Active, QPalette::Dark), palette.color(QPalette::Active, QPalette::Shadow) };
}

// ---------------------------------------------------------------------------

TGlyphList::TGlyphList(QSize size)
    : m_size(size)
{ }

int TGlyphList::add(const QImage &image)
{
    const auto freeSlot = std::find(m_used.begin(), m_used.end(), false);
    int slot;
    if (freeSlot == m_used.end()) {
        slot = int(m_used.size());
        m_used.push_back(true);
        m_images.push_back(image);
    } else {
        slot = int(freeSlot - m_used.begin());
        m_used[slot] = true;
        m_images[slot] = image;
    }
    ++m_count;
    return slot;
}

void TGlyphList::remove(int slot)
{
    if (slot < 0 || slot >= slotCount() || !m_used[slot])
        return;
    m_used[slot] = false;
    m_images[slot] = QImage();
    --m_count;
}

const QImage &TGlyphList::image(int slot) const
{
    static const QImage none;
    return isUsed(slot) ? m_images[slot] : none;
}

bool TGlyphList::isUsed(int slot) const
{
    return slot >= 0 && slot < slotCount() && m_used[slot];
}

// ---------------------------------------------------------------------------

TGlyphCache *TGlyphCache::instance()
{
    auto &cache = cacheHolder();
    if (!cache)
        cache = std::make_unique<TGlyphCache>();
    return cache.get();
}

TGlyphCache *TGlyphCache::existing()
{
    return cacheHolder().get();
}

void TGlyphCache::releaseIfEmpty()
{
    auto &cache = cacheHolder();
    if (cache && cache->empty())
        cache.reset();
}

TGlyphList *TGlyphCache::getList(QSize size)
{
    for (auto it = m_lists.rbegin(); it != m_lists.rend(); ++it) {
        if ((*it)->size() == size)
            return it->get();
    }
    m_lists.push_back(std::make_unique<TGlyphList>(size));
    return m_lists.back().get();
}

void TGlyphCache::returnList(TGlyphList *list)
{
    if (!list || list->count() != 0)
        return;
    m_lists.erase(std::remove_if(m_lists.begin(), m_lists.end(), [list](const auto &l) { return l.get() == list; }),
        m_lists.end());
}

// ---------------------------------------------------------------------------

TRxButtonGlyph::TRxButtonGlyph()
{
    m_stateImages.fill(-1);
    TGlyphCache::instance();
}

TRxButtonGlyph::~TRxButtonGlyph()
{
    dropImages();
    TGlyphCache::releaseIfEmpty();
}

void TRxButtonGlyph::setGlyph(const QImage &image)
{
    dropImages();
    m_stripImage = image.isNull() ? QImage() : normalised(image);
    if (image.height() >= 1) {
        m_maskColor = transparentColor(image);
        if (image.width() % image.height() == 0) {
            int n = image.width() / image.height();
            if (n > 5)
                n = 1;
            setNumGlyphs(n);
        }
    }
}

bool TRxButtonGlyph::setNumGlyphs(int value)
{
    if (value < 1)
        return false;
    value = std::min(value, 5);
    if (value == m_numGlyphs)
        return false;
    m_numGlyphs = value;
    dropImages();
    return true;
}

QSize TRxButtonGlyph::imageSize() const
{
    if (m_stripImage.isNull())
        return QSize();
    return QSize(m_stripImage.width() / m_numGlyphs, m_stripImage.height());
}

int TRxButtonGlyph::stateImage(TFlatButtonState state, const TButtonColors &colors)
{
    int s = state;
    if (s == fbsDown && m_numGlyphs < 3)
        s = fbsUp;
    if (m_stateImages[s] != -1)
        return m_stateImages[s];
    const QSize size = imageSize();
    // A strip narrower than its number of images has nothing to draw either.
    if (size.width() <= 0 || size.height() <= 0)
        return -1;
    if (!m_glyphList)
        m_glyphList = TGlyphCache::instance()->getList(size);

    const int index = s < m_numGlyphs ? s : 0;
    const QImage source = m_stripImage.copy(index * size.width(), 0, size.width(), size.height());
    QImage made;
    switch (s) {
    case fbsDisabled:
        if (m_numGlyphs >= 2)
            made = maskedImage(source, m_maskColor);
        else
            made = maskedImage(embossedImage(m_stripImage, colors), colors.face.rgb());
        break;
    case fbsInactive:
        if (m_numGlyphs == 5)
            made = maskedImage(source, m_maskColor);
        else
            made = maskedImage(grayImage(source, m_maskColor, colors.face.rgb()), m_maskColor);
        break;
    default:
        made = maskedImage(source, m_maskColor);
        break;
    }
    m_stateImages[s] = m_glyphList->add(made.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return m_stateImages[s];
}

const QImage &TRxButtonGlyph::slotImage(int slot) const
{
    static const QImage none;
    return m_glyphList ? m_glyphList->image(slot) : none;
}

void TRxButtonGlyph::dropImages()
{
    for (int &slot : m_stateImages) {
        if (slot != -1 && m_glyphList)
            m_glyphList->remove(slot);
        slot = -1;
    }
    if (m_glyphList) {
        if (TGlyphCache *cache = TGlyphCache::existing())
            cache->returnList(m_glyphList);
        m_glyphList = nullptr;
    }
}

QRgb TRxButtonGlyph::transparentColor(const QImage &image)
{
    const QString fixed = image.text(QStringLiteral("TransparentColor"));
    if (!fixed.isEmpty()) {
        const QColor color = QColor::fromString(fixed);
        if (color.isValid())
            return color.rgba();
    }
    if (image.depth() == 1)
        return qRgb(255, 255, 255);
    if (image.isNull())
        return qRgb(255, 0, 255);
    const QRgb pixel = image.pixel(0, image.height() - 1);
    return qAlpha(pixel) == 0 ? 0 : pixel;
}

QImage TRxButtonGlyph::embossedImage(const QImage &image, const TButtonColors &colors)
{
    const QImage source = normalised(image);
    const int w = source.width();
    const int h = source.height();
    QImage result(w, h, QImage::Format_ARGB32);
    result.fill(colors.face.rgb());
    const QRgb highlight = colors.highlight.rgb();
    const QRgb shadow = colors.shadow.rgb();
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (line[x] == BlackRgb && x + 1 < w && y + 1 < h)
                result.setPixel(x + 1, y + 1, highlight);
        }
    }
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (line[x] == BlackRgb)
                result.setPixel(x, y, shadow);
        }
    }
    return result;
}

QImage TRxButtonGlyph::grayImage(const QImage &image, QRgb maskColor, QRgb faceColor)
{
    QImage result = normalised(image);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = line[x];
            if (p == maskColor || p == faceColor)
                continue;
            const int g = (77 * qRed(p) + 150 * qGreen(p) + 29 * qBlue(p)) >> 8;
            line[x] = qRgba(g, g, g, qAlpha(p));
        }
    }
    return result;
}

QImage TRxButtonGlyph::maskedImage(const QImage &image, QRgb maskColor)
{
    QImage result = normalised(image);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (line[x] == maskColor)
                line[x] = 0;
        }
    }
    return result;
}
