// SPDX-License-Identifier: MIT
#include "controls/rxbuttonglyph.h"

#include <QHash>
#include <QPalette>

#include <algorithm>
#include <cmath>

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

// Relative luminance of a colour, 0 (black) to 1 (white), as contrast
// between screen colours is measured.
double luminance(const QColor &c)
{
    const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// Drawings on a button need this much contrast to the face to be seen.
constexpr double GlyphContrast = 3.0;

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
    // Only the artwork follows a dark face; the embossed look is drawn in
    // the palette's own colours already.
    if (!(s == fbsDisabled && m_numGlyphs < 2))
        made = forFace(made, colors.face);
    m_stateImages[s] = m_glyphList->add(made.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return m_stateImages[s];
}

QImage TRxButtonGlyph::stateImageAt(TFlatButtonState state, const TButtonColors &colors, qreal dpr)
{
    const int slot = stateImage(state, colors);
    if (slot == -1)
        return QImage();
    if (!qFuzzyCompare(dpr, m_ratio)) {
        m_ratioImages.fill(QImage());
        m_ratio = dpr;
    }
    // The down look of a strip without one is the up image, as in stateImage().
    QImage &made = m_ratioImages[state == fbsDown && m_numGlyphs < 3 ? fbsUp : state];
    if (made.isNull())
        made = imageForRatio(slotImage(slot), dpr);
    return made;
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
    m_ratioImages.fill(QImage());
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

QImage TRxButtonGlyph::forFace(const QImage &image, const QColor &face)
{
    if (face.lightnessF() >= 0.5)
        return image;
    const double faceLum = luminance(face);
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int w = result.width();
    const int h = result.height();
    const auto pixel = [&result](int x, int y) -> QRgb & { return reinterpret_cast<QRgb *>(result.scanLine(y))[x]; };
    // The dark pixels that meet the face: those beside a transparent pixel or
    // the edge, and every dark pixel joined to them. Dark details inside a
    // light area (the pips of the die, the lines of a page) stand out from
    // that area already and stay as they are.
    std::vector<char> dark(size_t(w) * size_t(h), 0);
    std::vector<QPoint> todo;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = pixel(x, y);
            if (qAlpha(p) == 0 || contrast(luminance(QColor::fromRgba(p)), faceLum) >= GlyphContrast)
                continue;
            dark[size_t(y) * w + x] = 1;
            const auto open = [&](int nx, int ny) {
                return nx < 0 || ny < 0 || nx >= w || ny >= h || qAlpha(pixel(nx, ny)) == 0;
            };
            if (open(x - 1, y) || open(x + 1, y) || open(x, y - 1) || open(x, y + 1))
                todo.emplace_back(x, y);
        }
    }
    QHash<QRgb, QRgb> lighter; // artwork has few colours
    while (!todo.empty()) {
        const QPoint at = todo.back();
        todo.pop_back();
        char &mark = dark[size_t(at.y()) * w + at.x()];
        if (mark != 1)
            continue;
        mark = 2;
        QRgb &p = pixel(at.x(), at.y());
        auto found = lighter.find(p);
        if (found == lighter.end()) {
            // Mirror the lightness, then lighten further in small steps:
            // black becomes white, dark red a light red.
            float hue, sat, light, alpha;
            QColor::fromRgba(p).getHslF(&hue, &sat, &light, &alpha);
            light = std::max(light, 1.0f - light);
            QColor c = QColor::fromHslF(hue, sat, light, alpha);
            while (contrast(luminance(c), faceLum) < GlyphContrast && light < 1.0f) {
                light = std::min(1.0f, light + 0.05f);
                c = QColor::fromHslF(hue, sat, light, alpha);
            }
            found = lighter.insert(p, c.rgba());
        }
        p = found.value();
        for (const QPoint d : { QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1) }) {
            const QPoint n = at + d;
            if (n.x() >= 0 && n.y() >= 0 && n.x() < w && n.y() < h && dark[size_t(n.y()) * w + n.x()] == 1)
                todo.push_back(n);
        }
    }
    return result;
}

QImage TRxButtonGlyph::doubledImage(const QImage &image)
{
    const QImage src = normalised(image);
    const int w = src.width();
    const int h = src.height();
    QImage result(2 * w, 2 * h, QImage::Format_ARGB32);
    const auto at = [&src, w, h](int x, int y) {
        return reinterpret_cast<const QRgb *>(src.constScanLine(std::clamp(y, 0, h - 1)))[std::clamp(x, 0, w - 1)];
    };
    for (int y = 0; y < h; ++y) {
        auto *top = reinterpret_cast<QRgb *>(result.scanLine(2 * y));
        auto *bottom = reinterpret_cast<QRgb *>(result.scanLine(2 * y + 1));
        for (int x = 0; x < w; ++x) {
            const QRgb e = at(x, y);
            const QRgb b = at(x, y - 1); // above
            const QRgb d = at(x - 1, y); // left
            const QRgb f = at(x + 1, y); // right
            const QRgb g = at(x, y + 1); // below
            const bool open = b != g && d != f;
            top[2 * x] = open && d == b ? d : e;
            top[2 * x + 1] = open && b == f ? f : e;
            bottom[2 * x] = open && d == g ? d : e;
            bottom[2 * x + 1] = open && g == f ? f : e;
        }
    }
    return result;
}

QImage TRxButtonGlyph::imageForRatio(const QImage &image, qreal dpr)
{
    QImage result = image;
    const int whole = qRound(dpr);
    if (image.isNull() || !(dpr > 1) || (qFuzzyCompare(dpr, qreal(whole)) && whole % 2 == 1)) {
        result.setDevicePixelRatio(1);
        return result;
    }
    result = doubledImage(image);
    if (qFuzzyCompare(dpr, qreal(whole))) {
        result.setDevicePixelRatio(2);
        return result;
    }
    const QSize target(qMax(1, qRound(image.width() * dpr)), qMax(1, qRound(image.height() * dpr)));
    result = result.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                 .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.setDevicePixelRatio(qreal(target.width()) / image.width());
    return result;
}
