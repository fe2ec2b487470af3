#include "velmar/app/VelmarImages.h"

#include <iterator>
#include <string>

// The images are pixel art, one character per pixel; the palette below names
// the characters. A blank is transparent.

namespace
{

const char* const kPalette[] = {
    "  c None",    "k c #000000", "w c #FFFFFF", "g c #808080", "l c #C8C8C8", "y c #F8D775",
    "o c #C89B2C", "b c #2F5FB3", "c c #9CC3F0", "r c #C8372D", "e c #2E8B57", "n c #142878",
};

// New
const char* const kNewArt[16] = {
    "                ", "  kkkkkkkk      ", "  kwwwwwwkk     ", "  kwwwwwwkwk    ",
    "  kwwwwwwkwwk   ", "  kwwwwwwkkkkk  ", "  kwwwwwwwwwwk  ", "  kwwwwwwwwwwk  ",
    "  kwwwwwwwwwwk  ", "  kwwwwwwwwwwk  ", "  kwwwwwwwwwwk  ", "  kwwwwwwwwwwk  ",
    "  kwwwwwwwwwwk  ", "  kwwwwwwwwwwk  ", "  kkkkkkkkkkkk  ", "                ",
};

// Open
const char* const kOpenArt[16] = {
    "                ", "                ", "                ", " kkkkk          ",
    "kyyyyyk         ", "kyyyyyykkkkkk   ", "kyyyyyyyyyyyyk  ", "kyyyyyyyyyyyyk  ",
    "kyyyykkkkkkkkkkk", "kyyykooooooooooo", "kyykooooooooook ", "kykooooooooook  ",
    "kkooooooooook   ", "kkkkkkkkkkkk    ", "                ", "                ",
};

// Save
const char* const kSaveArt[16] = {
    "                ", " kkkkkkkkkkkkkk ", " kbkwwwwwwwwkbk ", " kbkwwwwwwwwkbk ",
    " kbkwggggggwkbk ", " kbkwwwwwwwwkbk ", " kbbkkkkkkkkbbk ", " kbbbbbbbbbbbbk ",
    " kbbbbbbbbbbbbk ", " kbbkkkkkkkkbbk ", " kbbkllllkglkbk ", " kbbklllkgglbbk ",
    " kbbkllllllkbbk ", " kbbkllllllkbbk ", " kkkkkkkkkkkkkk ", "                ",
};

// Cut
const char* const kCutArt[16] = {
    "                ", "    k     k     ", "    k     k     ", "    kk   kk     ",
    "     k   k      ", "     kk kk      ", "      kkk       ", "       k        ",
    "      r r       ", "   rrr   rrr    ", "  r   r r   r   ", "  r   r r   r   ",
    "  r   r r   r   ", "   rrr   rrr    ", "                ", "                ",
};

// Copy
const char* const kCopyArt[16] = {
    "                ", "   kkkkkkk      ", "   kwwwwwk      ", "   kwgggwk      ",
    "   kwwwwwk      ", "   kwggkkkkkkk  ", "   kwwwkwwwwwk  ", "   kwggkwgggwk  ",
    "   kwwwkwwwwwk  ", "   kkkkkwgggwk  ", "       kwwwwwk  ", "       kwgggwk  ",
    "       kwwwwwk  ", "       kkkkkkk  ", "                ", "                ",
};

// Paste
const char* const kPasteArt[16] = {
    "     kkkk       ", " kkkkkllkkkk    ", " koookkkoook    ", " koooooooook    ",
    " kooookkkkkkkkk ", " kooookwwwwwwwk ", " kooookwgggggwk ", " kooookwwwwwwwk ",
    " kooookwgggggwk ", " kooookwwwwwwwk ", " kooookwgggwwwk ", " kooookwwwwwwwk ",
    " kkkkkkwwwwwwwk ", "      kkkkkkkkk ", "                ", "                ",
};

// Preview (a globe: the browser)
const char* const kPreviewArt[16] = {
    "                ", "     kkkkkk     ", "   kkcceecckk   ", "  kcceeeecccck  ",
    "  kceeeeccccck  ", " kcceeeccccceck ", " kccceecccceeck ", " kcccccccceeeck ",
    " kcccccccceeeck ", " kceecccccceeck ", " kceeecccccceck ", "  kceeccccccck  ",
    "  kcceccccccck  ", "   kkccccccckk  ", "     kkkkkk     ", "                ",
};

// Print
const char* const kPrintArt[16] = {
    "                ", "    kkkkkkkk    ", "    kwwwwwwk    ", "    kwggggwk    ",
    "    kwwwwwwk    ", "  kkkkkkkkkkkk  ", " kllllllllllllk ", " klllllllllleek ",
    " kllllllllllllk ", " kggggggggggggk ", " kgkkkkkkkkkkgk ", " kkkwwwwwwwwkkk ",
    "   kwggggggwk   ", "   kwwwwwwwwk   ", "   kkkkkkkkkk   ", "                ",
};

// About
const char* const kAboutArt[16] = {
    "                ", "     kkkkkk     ", "   kkbbbbbbkk   ", "  kbbbbwwbbbbk  ",
    "  kbbbbwwbbbbk  ", " kbbbbbbbbbbbbk ", " kbbbbwwwbbbbbk ", " kbbbbbwwbbbbbk ",
    " kbbbbbwwbbbbbk ", " kbbbbbwwbbbbbk ", " kbbbbbwwbbbbbk ", "  kbbbwwwwbbbk  ",
    "  kbbbbbbbbbbk  ", "   kkbbbbbbkk   ", "     kkkkkk     ", "                ",
};

// Context help
const char* const kContextHelpArt[16] = {
    "k               ", "kk       bbbb   ", "kwk     bb  bb  ", "kwwk    bb  bb  ",
    "kwwwk       bb  ", "kwwwwk     bb   ", "kwwwwwk   bb    ", "kwwwwwwk  bb    ",
    "kwwwwwwwk       ", "kwwwwkkkkkbb    ", "kwwkwwk   bb    ", "kwk kwwk        ",
    "kk  kwwk        ", "k    kwwk       ", "     kwwk       ", "      kk        ",
};

// The application: a page with a tag on it.
const char* const kAppArt[32] = {
    "                                ", "                                ",
    "     kkkkkkkkkkkkkkkkkk         ", "     kwwwwwwwwwwwwwwwwkk        ",
    "     kwwwwwwwwwwwwwwwwkwk       ", "     kwwwwwwwwwwwwwwwwkwwk      ",
    "     kwwwwwwwwwwwwwwwwkwwwk     ", "     kwwwwwwwwwwwwwwwwkwwwwk    ",
    "     kwwwwwwwwwwwwwwwwkkkkkkk   ", "     kwwwwwwwwwwwwwwwwwwwwwwk   ",
    "     kwwwwwwwwwwwwwwwwwwwwwwk   ", "     kwwwwwbbwwwwwwwwbbwwwwwk   ",
    "     kwwwwbbwwwwwwrwwwbbwwwwk   ", "     kwwwbbwwwwwwwrwwwwwbbwwk   ",
    "     kwwbbwwwwwwwrrwwwwwwbbwk   ", "     kwwbbwwwwwwwrwwwwwwwbbwk   ",
    "     kwwwbbwwwwwrrwwwwwwbbwwk   ", "     kwwwwbbwwwwrwwwwwwbbwwwk   ",
    "     kwwwwwbbwwwrwwwwwbbwwwwk   ", "     kwwwwwwwwwrrwwwwwwwwwwwk   ",
    "     kwwwwwwwwwrwwwwwwwwwwwwk   ", "     kwwwwwwwwwwwwwwwwwwwwwwk   ",
    "     kwwgggggggggggggggggwwwk   ", "     kwwwwwwwwwwwwwwwwwwwwwwk   ",
    "     kwwwwgggggggggggggggwwwk   ", "     kwwwwwwwwwwwwwwwwwwwwwwk   ",
    "     kwwwwgggggggggggwwwwwwwk   ", "     kwwwwwwwwwwwwwwwwwwwwwwk   ",
    "     kwwwwwwwwwwwwwwwwwwwwwwk   ", "     kkkkkkkkkkkkkkkkkkkkkkkk   ",
    "                                ", "                                ",
};

// In tool bar order, separators left out.
const char* const* const kButtons[] = {kNewArt,   kOpenArt,       kSaveArt,    kCutArt,
                                       kCopyArt,  kPasteArt,      kPreviewArt, kPrintArt,
                                       kAboutArt, kContextHelpArt};

// An XPM image of `rows` rows, each the concatenation of one row of every
// picture in `pictures`.
std::string BuildXpm(const char* const* const* pictures, int count, int size)
{
    std::string xpm = "/* XPM */\nstatic const char* image[] = {\n\"";
    xpm += std::to_string(size * count) + " " + std::to_string(size) + " " +
           std::to_string(std::size(kPalette)) + " 1\",\n";
    for (const char* color : kPalette)
        xpm += std::string("\"") + color + "\",\n";
    for (int y = 0; y < size; ++y)
    {
        xpm += '"';
        for (int i = 0; i < count; ++i)
            xpm += pictures[i][y];
        xpm += y + 1 == size ? "\"};\n" : "\",\n";
    }
    return xpm;
}

} // namespace

const std::string& VelmarToolBarStrip()
{
    static const std::string xpm = BuildXpm(kButtons, static_cast<int>(std::size(kButtons)), 16);
    return xpm;
}

int VelmarToolBarImageCount()
{
    return static_cast<int>(std::size(kButtons));
}

const std::string& VelmarAppIcon()
{
    static const char* const* const picture[] = {kAppArt};
    static const std::string xpm = BuildXpm(picture, 1, 32);
    return xpm;
}
