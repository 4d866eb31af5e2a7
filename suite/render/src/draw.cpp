#include "render/draw.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "render/cp437.h"
#include "render/run_layout.h"

namespace dprender {

struct FontLoader {
    struct Wanted {
        const char* family;
        bool bold;
        const char* debianFile;  // where Debian's fonts-dejavu-core puts it
    };

    // Whether one of the names the font goes by is `family` ("DejaVu Sans Condensed" is also
    // known as "DejaVu Sans").
    static bool hasFamily(FcPattern* font, const char* family) {
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
            if (std::strcmp(reinterpret_cast<const char*>(name), family) == 0) return true;
        return false;
    }

    static std::string locate(const Wanted& w) {
        std::string found;
        if (FcInit()) {
            FcPattern* pat = FcPatternCreate();
            FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(w.family));
            FcPatternAddInteger(pat, FC_WEIGHT, w.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
            FcPatternAddInteger(pat, FC_SLANT, FC_SLANT_ROMAN);
            FcConfigSubstitute(nullptr, pat, FcMatchPattern);
            FcDefaultSubstitute(pat);
            FcResult result = FcResultNoMatch;
            if (FcPattern* match = FcFontMatch(nullptr, pat, &result)) {
                FcChar8* file = nullptr;
                int weight = 0;
                if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch && hasFamily(match, w.family) &&
                    (weight >= FC_WEIGHT_BOLD) == w.bold)
                    found = reinterpret_cast<const char*>(file);
                FcPatternDestroy(match);
            }
            FcPatternDestroy(pat);
        }
        if (found.empty()) {
            if (std::FILE* f = std::fopen(w.debianFile, "rb")) {
                std::fclose(f);
                found = w.debianFile;
            }
        }
        return found;
    }

    static const Fonts* load(std::string& error) {
        static const Wanted wanted[4] = {
            {"DejaVu Sans Mono", false, "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
            {"DejaVu Sans Mono", true, "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"},
            {"DejaVu Sans Condensed", false, "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf"},
            {"DejaVu Sans Condensed", true, "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"},
        };
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) {
            error = "the font library (FreeType) could not be started";
            return nullptr;
        }
        auto* fonts = new Fonts();
        FT_Face ft[4] = {};
        for (int i = 0; i < 4; ++i) {
            const std::string path = locate(wanted[i]);
            if (path.empty() || FT_New_Face(lib, path.c_str(), 0, &ft[i]) != 0) {
                error = std::string("the font ") + wanted[i].family + (wanted[i].bold ? " Bold" : "") +
                        " is not installed (Debian packages fonts-dejavu-core and fonts-dejavu-extra)";
                return nullptr;
            }
            Fonts::Face& f = fonts->faces_[i];
            f.cairo = cairo_ft_font_face_create_for_ft_face(ft[i], FT_LOAD_NO_HINTING);
            for (int c = 0; c < 256; ++c) f.glyphs[c] = FT_Get_Char_Index(ft[i], cp437ToUnicode(static_cast<unsigned char>(c)));
        }
        fonts->monoAdvanceEm_ = advanceEm(ft[0], fonts->faces_[0].glyphs['0']);
        for (int c = 0; c < 256; ++c) {
            fonts->widths_.regular[c] = static_cast<float>(advanceEm(ft[2], fonts->faces_[2].glyphs[c]));
            fonts->widths_.bold[c] = static_cast<float>(advanceEm(ft[3], fonts->faces_[3].glyphs[c]));
        }
        // The faces stay loaded for the life of the process, as the cairo faces made from them.
        return fonts;
    }

    static double advanceEm(FT_Face face, unsigned long glyph) {
        if (FT_Load_Glyph(face, static_cast<FT_UInt>(glyph), FT_LOAD_NO_SCALE) != 0 || face->units_per_EM == 0)
            return 0.6;
        return static_cast<double>(face->glyph->advance.x) / face->units_per_EM;
    }
};

const Fonts* Fonts::get(std::string& error) {
    static std::once_flag once;
    static const Fonts* fonts = nullptr;
    static std::string loadError;
    std::call_once(once, [] { fonts = FontLoader::load(loadError); });
    if (!fonts) error = loadError;
    return fonts;
}

cairo_font_face_t* Fonts::face(bool proportional, bool bold) const {
    return faces_[(proportional ? 2 : 0) + (bold ? 1 : 0)].cairo;
}

unsigned long Fonts::glyph(bool proportional, bool bold, unsigned char c) const {
    return faces_[(proportional ? 2 : 0) + (bold ? 1 : 0)].glyphs[c];
}

namespace {

void setInk(cairo_t* cr, std::uint32_t ink, double alpha = 1) {
    cairo_set_source_rgba(cr, ((ink >> 16) & 0xFF) / 255.0, ((ink >> 8) & 0xFF) / 255.0, (ink & 0xFF) / 255.0, alpha);
}

void drawRun(cairo_t* cr, const Run& run, const Fonts& fonts) {
    const Style& s = run.style;
    const RunLayout layout = layoutRun(run, fonts.proportionalWidths(), fonts.monoAdvanceEm());
    if (!layout.shapes.empty()) {
        setInk(cr, s.ink, layout.shapeDensity);
        cairo_new_path(cr);
        for (const InkRect& r : layout.shapes) cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
    }
    if (layout.glyphs.empty()) return;
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(layout.glyphs.size());
    for (const PlacedGlyph& g : layout.glyphs)
        glyphs.push_back({fonts.glyph(s.proportional, s.bold, g.c), g.x, layout.baseline});
    setInk(cr, s.ink);
    cairo_set_font_face(cr, fonts.face(s.proportional, s.bold));
    cairo_matrix_t m;
    cairo_matrix_init(&m, s.points * layout.scaleX, 0, 0, s.points, 0, 0);
    cairo_set_font_matrix(cr, &m);
    if (s.outline) {
        // Hollow letters: paper-white inside (the text stays text for readers and searches),
        // the outline in the ink.
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        setInk(cr, s.ink);
        cairo_new_path(cr);
        cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        cairo_set_line_width(cr, outlineWidth(s.points));
        cairo_stroke(cr);
    } else {
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    }
}

void prepare(cairo_t* cr) {
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
}

}  // namespace

void drawPage(cairo_t* cr, const Page& page, const Fonts& fonts, const Placement& placement) {
    cairo_save(cr);
    prepare(cr);
    cairo_translate(cr, placement.xPt, placement.yPt);
    cairo_scale(cr, placement.scale, placement.scale);
    for (const Run& run : page.runs) drawRun(cr, run, fonts);
    cairo_restore(cr);
}

PdfWriter::PdfWriter(std::FILE* out, const Fonts& fonts, const Paper& paper, const Placement& placement,
                     const std::string& title)
    : out_(out), fonts_(fonts), placement_(placement) {
    surface_ = cairo_pdf_surface_create_for_stream(&PdfWriter::write, this, paper.widthPt, paper.heightPt);
    if (!title.empty()) cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "veldro-render");
    cr_ = cairo_create(surface_);
}

PdfWriter::~PdfWriter() {
    if (!closed_) close();
}

cairo_status_t PdfWriter::write(void* closure, const unsigned char* data, unsigned int length) {
    auto* self = static_cast<PdfWriter*>(closure);
    if (self->writeFailed_) return CAIRO_STATUS_WRITE_ERROR;
    if (length > 0 && std::fwrite(data, 1, length, self->out_) != length) {
        self->writeFailed_ = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

bool PdfWriter::addPage(const Page& page) {
    if (closed_ || !error_.empty()) return false;
    drawPage(cr_, page, fonts_, placement_);
    cairo_show_page(cr_);
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS || writeFailed_) {
        error_ = writeFailed_ ? "the PDF could not be written" : cairo_status_to_string(cairo_status(cr_));
        return false;
    }
    ++pages_;
    return true;
}

bool PdfWriter::close() {
    if (closed_) return error_.empty();
    closed_ = true;
    cairo_destroy(cr_);
    cairo_surface_finish(surface_);
    const cairo_status_t st = cairo_surface_status(surface_);
    cairo_surface_destroy(surface_);
    if (error_.empty() && (st != CAIRO_STATUS_SUCCESS || writeFailed_))
        error_ = writeFailed_ ? "the PDF could not be written" : cairo_status_to_string(st);
    return error_.empty();
}

namespace {

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
    return std::fwrite(data, 1, length, static_cast<std::FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                                      : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool writePng(const Page& page, const Fonts& fonts, std::FILE* out, double dpi, std::string& error,
              const Paper& paper, const Placement& placement) {
    const double scale = dpi / kPointsPerInch;
    const int w = static_cast<int>(std::lround(paper.widthPt * scale));
    const int h = static_cast<int>(std::lround(paper.heightPt * scale));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    drawPage(cr, page, fonts, placement);
    cairo_status_t st = cairo_status(cr);
    cairo_destroy(cr);
    if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_write_to_png_stream(surface, writeToFile, out);
    cairo_surface_destroy(surface);
    if (st != CAIRO_STATUS_SUCCESS) {
        error = st == CAIRO_STATUS_WRITE_ERROR ? "the PNG could not be written" : cairo_status_to_string(st);
        return false;
    }
    return true;
}

}  // namespace dprender
