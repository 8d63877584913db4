// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <array>
#include <memory>
#include <vector>

class QPalette;

// The look of a flat tool button; the number of each state is also the place
// of that state's picture in a glyph strip.
enum TFlatButtonState { fbsUp = 0, fbsDisabled = 1, fbsDown = 2, fbsExclusive = 3, fbsInactive = 4 };

// The four button colours, taken from a palette at drawing time.
struct TButtonColors
{
    QColor face; // button face
    QColor highlight; // lit edge
    QColor shadow; // shaded edge
    QColor windowFrame; // dark outer edge

    static TButtonColors fromPalette(const QPalette &palette);
};

// An image store for images of one size, in numbered slots. Each image keeps
// its mask as its alpha channel. Freed slots are reused before the store grows.
class TGlyphList
{
public:
    explicit TGlyphList(QSize size);

    QSize size() const { return m_size; }
    // Puts the image into the lowest free slot (or a new one) and returns its number.
    int add(const QImage &image);
    void remove(int slot);
    const QImage &image(int slot) const;
    bool isUsed(int slot) const;
    int count() const { return m_count; }
    int slotCount() const { return int(m_images.size()); }

private:
    QSize m_size;
    std::vector<QImage> m_images;
    std::vector<bool> m_used;
    int m_count = 0;
};

// The process-wide collection of image stores, one per image size in use. It
// exists while any store does; holders reach it only through instance(), so a
// holder never keeps a pointer to a cache that another holder has freed.
class TGlyphCache
{
public:
    // The cache, made if there is none.
    static TGlyphCache *instance();
    // The cache if it exists (for tests and for freeing).
    static TGlyphCache *existing();
    // Frees the cache if it holds no store.
    static void releaseIfEmpty();

    // The newest store for that size; a new one is appended if none matches.
    TGlyphList *getList(QSize size);
    // Gives a store back: it is freed when no slot of it is used.
    void returnList(TGlyphList *list);
    bool empty() const { return m_lists.empty(); }
    int listCount() const { return int(m_lists.size()); }

private:
    std::vector<std::unique_ptr<TGlyphList>> m_lists;
};

// The glyph logic of one flat tool button: the glyph strip, and the image of
// each button state made on first need into a store shared by every button
// whose images have the same size.
class TRxButtonGlyph
{
public:
    TRxButtonGlyph();
    ~TRxButtonGlyph();
    TRxButtonGlyph(const TRxButtonGlyph &) = delete;
    TRxButtonGlyph &operator=(const TRxButtonGlyph &) = delete;

    // Copies the image into the strip, drops the state images, takes the mask
    // colour from the image and, when its width is a whole multiple (up to 5)
    // of its height, the number of images in the strip.
    void setGlyph(const QImage &image);
    const QImage &glyph() const { return m_stripImage; }
    int numGlyphs() const { return m_numGlyphs; }
    // 1 to 5; larger values are limited to 5, values below 1 are ignored.
    // Returns true when the value changed (the state images are then dropped).
    bool setNumGlyphs(int value);
    QRgb maskColor() const { return m_maskColor; }
    // Size of one image of the strip (empty when there is nothing to draw).
    QSize imageSize() const;

    // The store slot of the image for a state, made on first need; -1 when
    // there is nothing to draw.
    int stateImage(TFlatButtonState state, const TButtonColors &colors);
    // The image in a slot returned by stateImage().
    const QImage &slotImage(int slot) const;
    // The slot recorded for a state, -1 if not made yet.
    int stateSlot(TFlatButtonState state) const { return m_stateImages[state]; }
    // The image of a state as drawn at a device pixel ratio, its own ratio
    // set (see imageForRatio()); made once per state and ratio. A null image
    // when there is nothing to draw.
    QImage stateImageAt(TFlatButtonState state, const TButtonColors &colors, qreal dpr);
    TGlyphList *glyphList() const { return m_glyphList; }
    // Gives every made slot back and the store back to the cache.
    void dropImages();

    // The transparent colour of an image: a colour fixed on it (image text
    // "TransparentColor"), white for a one-bit image, else its bottom-left pixel.
    static QRgb transparentColor(const QImage &image);
    // The disabled look made from black outlines: lit copy one pixel right and
    // down, shadow in place, on the button face.
    static QImage embossedImage(const QImage &image, const TButtonColors &colors);
    // Every pixel other than the mask colour and the face colour turned gray.
    static QImage grayImage(const QImage &image, QRgb maskColor, QRgb faceColor);
    // The image with every pixel of the given colour made transparent.
    static QImage maskedImage(const QImage &image, QRgb maskColor);
    // The picture as it shows on a face: unchanged on a light face; on a dark
    // one, the pixels too dark to stand out from it that meet it (black
    // outlines, dark red, and what joins them) are made lighter in their own
    // hue until they do. Dark details inside a light area stay.
    static QImage forFace(const QImage &image, const QColor &face);
    // The picture at twice its size by the Scale2x rule: every pixel becomes
    // four, and a corner takes the colour of its two neighbours where they
    // agree, so diagonals come out smooth and nothing is blurred.
    static QImage doubledImage(const QImage &image);
    // A picture of logical pixels made for a device pixel ratio, with that
    // ratio set on it: as it is at 1× and at odd whole ratios (each pixel a
    // solid block), doubled at 2× (and blocks of the doubled one at 4×, 6×…),
    // and the doubled one scaled smoothly to the size in between, so 1.5×
    // shows no uneven rows or columns.
    static QImage imageForRatio(const QImage &image, qreal dpr);

private:
    QImage m_stripImage; // ARGB32, fully transparent pixels normalised to 0
    int m_numGlyphs = 1;
    QRgb m_maskColor = qRgb(255, 0, 255);
    std::array<int, 5> m_stateImages;
    TGlyphList *m_glyphList = nullptr;
    std::array<QImage, 5> m_ratioImages; // for m_ratio; dropped with the slots
    qreal m_ratio = 0;
};
