// The fourteen looks of the styled button: each routine paints background,
// borders and focus marks around the content pass, for the visual state it
// is given (0 normal, 1 hot, 2 pressed).
#include "host/Rounding.h"
#include "stylebutton/VLM_StyleButton.h"

namespace panorel {
namespace {

using namespace stylebutton;

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr int kPushButtonPart = 1;  // the theme class "Button"'s push button

int Half(int h) { return RoundToInt32(h / 2.0); }

}  // namespace

void VLM_StyleButton::DrawClassic(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const std::int32_t style = p.ButtonStyle;
    const Colour b = TranslateColor(p.BackColor);
    if (!p.Enabled) {
        if (style == 0) DrawEdges(EDGE_RAISED);
        if (style == 1) DrawEdges(BDR_RAISEDINNER);
        ContentPass(state);
        return;
    }
    if (Checked()) {
        FillRectangle(ShiftColor(b, 0.02f));
        ContentPass(state);
        if (style == 12) return;
        DrawEdges(EDGE_SUNKEN);
        if (style == 0 && p.ShowFocusRect && HasFocus()) DrawRectangle(4, 4, W_ - 7, H_ - 7, TranslateColor(0x8000000C));
    } else if (state == 0) {
        RebuildRegion();
        FillRectangle(b);
        ContentPass(state);
        if (style == 0) DrawEdges(EDGE_RAISED);
        if (style == 1) DrawEdges(BDR_RAISEDINNER);
    } else if (state == 1) {
        FillRectangle(b);
        ContentPass(state);
        DrawEdges(style == 1 || style == 12 ? BDR_RAISEDINNER : EDGE_RAISED);
    } else {
        FillRectangle(b);
        ContentPass(state);
        if (style == 0) {
            DrawRectangle(1, 1, W_ - 2, H_ - 2, TranslateColor(0x99A8AC));
            DrawRectangle(0, 0, W_, H_, kBlack);
        } else if (style == 1 || style == 12) {
            DrawRectangle(0, 0, W_, H_, kWhite);
            DrawRectangle(0, 0, W_ + 1, H_ + 1, TranslateColor(0x80000011));
        } else {
            DrawEdges(EDGE_SUNKEN);
        }
    }
    if (FocusShown()) {
        if (site_.Ambient().UserMode && p.ShowFocusRect && ParentActive())
            DrawFocus(style == 0 || style == 11 ? RECT{4, 4, W_ - 4, H_ - 4} : RECT{3, 3, W_ - 3, H_ - 3});
        if (style == 0 && state != 2) {
            // The default button's look.
            RECT rc{0, 0, W_ - 1, H_ - 1};
            ::DrawEdge(surface_.hDC(), &rc, EDGE_RAISED, BF_RECT);
            DrawRectangle(0, 0, W_ - 1, H_ - 1, TranslateColor(0x8000000C));
            DrawRectangle(0, 0, W_, H_, kBlack);
        }
    }
}

void VLM_StyleButton::DrawGlossy(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const Colour b = TranslateColor(p.BackColor);
    const std::int32_t scheme = p.ColorScheme;
    const int W = W_, H = H_;
    // The eight lines of the hot and default borders, in their fixed order.
    auto border = [&](const Colour (&c)[8]) {
        DrawLine(1, 2, W - 2, 2, TranslateColor(c[0]));
        DrawLine(1, 1, W - 2, 1, TranslateColor(c[1]));
        DrawLine(1, 1, 1, H - 2, TranslateColor(c[2]));
        DrawLine(W - 2, 2, W - 2, H - 2, TranslateColor(c[3]));
        DrawLine(2, 2, 2, H - 3, TranslateColor(c[4]));
        DrawLine(W - 3, 3, W - 3, H - 3, TranslateColor(c[5]));
        DrawLine(2, H - 3, W - 2, H - 3, TranslateColor(c[6]));
        DrawLine(2, H - 2, W - 2, H - 2, TranslateColor(c[7]));
    };
    if (!p.Enabled) {
        RebuildRegion();
        FillRectangle(MixColors(TranslateColor(kButtonFace), ShiftColor(b, 0.1f)));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, ShiftColor(b, -0.1f));
        DrawCorners(ShiftColor(b, -0.1f));
        return;
    }
    if (state == 0 || state == 1) {
        if (state == 0) RebuildRegion();
        if (scheme != 2) {
            DrawGradient(0, 0, W, H, ShiftColor(b, 0.07f), b);
            DrawGradient(0, 0, W, 4, ShiftColor(b, 0.1f), ShiftColor(b, 0.08f));
            ContentPass(state);
            if (state == 0) {
                DrawLine(1, H - 2, W - 2, H - 2, ShiftColor(b, -0.09f));
                DrawLine(1, H - 3, W - 2, H - 3, ShiftColor(b, -0.05f));
                DrawLine(1, H - 4, W - 2, H - 4, ShiftColor(b, -0.01f));
                DrawLine(W - 2, 2, W - 2, H - 2, ShiftColor(b, -0.08f));
                DrawLine(1, 1, 1, H - 2, MixColors(kWhite, b));
            }
        } else {
            DrawGradient(0, 0, W, Half(H), ShiftColor(b, 0.22f), b);
            DrawGradient(0, Half(H), W, Half(H), ShiftColor(b, -0.01f), ShiftColor(b, -0.15f));
            ContentPass(state);
            if (state == 0) {
                DrawLine(W - 2, 2, W - 2, H - 2, kWhite);
                DrawLine(1, 1, 1, H - 2, kWhite);
            }
        }
        if (state == 1) border({0x89D8FD, 0xCFF0FF, 0x49BDF9, 0x49BDF9, 0x7AD2FC, 0x7AD2FC, 0x30B3F8, 0x0097E5});
    } else if (scheme != 2) {
        FillRectangle(ShiftColor(b, -0.05f));
        ContentPass(state);
        DrawLine(1, 1, W - 2, 1, ShiftColor(b, -0.16f));
        DrawLine(1, 2, W - 2, 2, ShiftColor(b, -0.1f));
        DrawLine(1, H - 2, W - 2, H - 2, ShiftColor(b, 0.01f));
        DrawLine(1, 1, 1, H - 2, ShiftColor(b, -0.16f));
        DrawLine(2, 2, 2, H - 2, ShiftColor(b, -0.1f));
        DrawLine(W - 2, 2, W - 2, H - 2, ShiftColor(b, 0.04f));
    } else {
        DrawGradient(0, 0, W, H - 6, ShiftColor(b, -0.2f), ShiftColor(b, 0.05f));
        DrawGradient(0, H - 6, W, H - 1, ShiftColor(b, 0.08f), kWhite);
        ContentPass(state);
        DrawRectangle(1, 1, W - 2, H - 2, kWhite);
    }
    if (state == 0 && ParentActive() && FocusShown()) {
        if (scheme == 1)
            border({0x8FD1C2, 0x80CBB1, 0x68C8A0, 0x68C8A0, 0x68C8A0, 0x68C8A0, 0x68C8A0, 0x66A7A8});
        else if (scheme == 2)
            border({0xF6D4BC, 0xFFE7CE, 0xE6AF8E, 0xE6AF8E, kWhite, kWhite, 0xE4AD89, 0xEE8269});
        else
            border({0xF6D4BC, 0xFFE7CE, 0xE6AF8E, 0xE6AF8E, 0xF4D1B8, 0xF4D1B8, 0xE4AD89, 0xEE8269});
    }
    if (ParentActive() && p.ShowFocusRect && FocusShown()) DrawFocus(RECT{2, 2, W - 2, H - 2});
    const Colour frame = scheme == 1 ? Colour{0x066237} : TranslateColor(0x743C00);
    DrawRectangle(0, 0, W, H, frame);
    DrawCorners(ShiftColor(frame, 0.3f));
}

void VLM_StyleButton::DrawHoney(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const Colour b = TranslateColor(p.BackColor);
    const int W = W_, H = H_, h = Half(H);
    if (!p.Enabled) {
        RebuildRegion();
        FillRectangle(ShiftColor(b, 0.03f));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, ShiftColor(b, -0.25f));
        DrawRectangle(1, 1, W - 2, H - 2, ShiftColor(b, 0.25f));
        DrawCorners(ShiftColor(b, -0.03f));
        return;
    }
    // Upper and lower halves, and 5-pixel side bands whose edge end is the darker one.
    auto halves = [&](Colour u1, Colour u2, Colour l1, Colour l2) {
        DrawGradient(1, 1, W - 2, h - 1, u1, u2);
        DrawGradient(1, h, W - 2, H - 1 - h, l1, l2);
    };
    auto bands = [&](Colour bu1, Colour bu2, Colour bl1, Colour bl2) {
        const int bandTop = 3, upper = RoundToInt32(H / 2.0 - 2), lower = H - 3 - bandTop - upper;
        DrawGradient(1, bandTop, 5, upper, bu1, bu2, 0);
        DrawGradient(W - 6, bandTop, 5, upper, bu2, bu1, 0);
        DrawGradient(1, bandTop + upper, 5, lower, bl1, bl2, 0);
        DrawGradient(W - 6, bandTop + upper, 5, lower, bl2, bl1, 0);
    };
    if (state == 0) {
        RebuildRegion();
        DrawGradient(1, 1, W - 1, H, ShiftColor(b, 0.05f), b);
        DrawGradient(1, h, W - 2, H - 2, ShiftColor(b, -0.02f), ShiftColor(b, -0.15f));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, TranslateColor(0x707070));
        DrawRectangle(1, 1, W - 2, H - 2, kWhite);
    } else if (state == 1) {
        halves(0xFFF7E4, 0xFFF3DA, 0xFFE9C1, 0xFDE1AE);
        bands(0xFFEECD, 0xFFF7E4, 0xFAD68F, 0xFDE1AC);
        ContentPass(state);
        DrawRectangle(0, 0, W, H, TranslateColor(0xA77532));
        DrawRectangle(1, 1, W - 2, H - 2, kWhite);
    } else {
        // Pressed: the side bands come after the frame and the top and left
        // lines, and lie over them.
        halves(0xF6E4C2, 0xF6E4C2, 0xF0D29A, 0xF0D29A);
        DrawRectangle(0, 0, W, H, TranslateColor(0x5C411D));
        DrawLine(1, 1, W - 1, 1, 0xB39C71);
        DrawLine(1, 2, W - 1, 2, 0xD6C6A9);
        DrawLine(1, 3, W - 1, 3, 0xECD9B9);
        DrawLine(1, 1, 1, H - 1, 0xCFB073);
        DrawLine(2, 2, 2, H - 1, 0xC5912B);
        bands(ShiftColor(0xE6C891, 0.02f), ShiftColor(0xF6E4C2, -0.01f), ShiftColor(0xDCAB4E, 0.02f),
              ShiftColor(0xF0D29A, -0.01f));
        ContentPass(state);
    }
    if (ParentActive() && FocusShown() && state == 0) {
        DrawRectangle(0, 0, W, H, TranslateColor(0xA77532));
        DrawRectangle(1, 1, W - 2, H - 2, TranslateColor(0xFBD848));
    }
    if (p.ShowFocusRect && HasFocus()) DrawFocus(RECT{3, 3, W - 3, H - 3});
    DrawCorners(TranslateColor(0xBE965F));
}

void VLM_StyleButton::DrawToolbar(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const Colour b = TranslateColor(p.BackColor);
    const int W = W_, H = H_, h = Half(H);
    const std::int32_t s = p.Enabled ? state : 0;
    if (s == 2) {
        DrawGradient(0, 0, W, h, kWhite, ShiftColor(b, -0.1f));
        DrawGradient(0, h, W, H, ShiftColor(b, -0.1f), ShiftColor(b, -0.05f));
    } else {
        if (s == 0) RebuildRegion();
        DrawGradient(0, 0, W, h, kWhite, b);
        DrawGradient(0, h, W, H, b, b);
    }
    ContentPass(state);
    DrawRectangle(1, 1, W - 2, H, kWhite);
    DrawRectangle(0, 0, W, H, ShiftColor(b, s == 2 ? -0.23f : -0.2f));
    DrawLine(2, H - 1, W - 2, H - 1, ShiftColor(b, s == 2 ? -0.4f : -0.25f));
    DrawCorners(ShiftColor(b, 0.05f));
    if (ParentActive() && p.ShowFocusRect && FocusShown()) DrawFocus(RECT{3, 3, W - 3, H - 3});
}

void VLM_StyleButton::DrawOrange(std::int32_t state) {
    RefreshSize();
    const Colour b = TranslateColor(model_.P.BackColor);
    const int W = W_, H = H_;
    const Colour frame = TranslateColor(0x800000);
    if (Checked()) {
        if (MouseOver())
            DrawGradient(0, 0, W, H, TranslateColor(0x4E91FE), TranslateColor(0x8ED3FF));
        else
            DrawGradient(0, 0, W, H, TranslateColor(0x8CD5FF), TranslateColor(0x55ADFF));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, frame);
    } else if (state == 0) {
        RebuildRegion();
        DrawGradient(0, 0, W, Half(H), MixColors(kWhite, ShiftColor(b, 0.08f)), b);
        DrawGradient(0, RoundToInt32(H / 2.0 + 1), W, Half(H), b, ShiftColor(b, -0.15f));
        ContentPass(state);
    } else {
        if (state == 1)
            DrawGradient(0, 0, W, H, TranslateColor(0xCCF4FF), TranslateColor(0x91D0FF));
        else
            DrawGradient(0, 0, W, H, TranslateColor(0x4E91FE), TranslateColor(0x8ED3FF));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, frame);
    }
}

void VLM_StyleButton::DrawSilver(std::int32_t state) {
    RefreshSize();
    ButtonProperties& p = model_.P;
    const int W = W_, H = H_;
    // This look chooses its own caption colour.
    p.ForeColor = state == 2 ? kWhite : kButtonText;
    ::SetTextColor(surface_.hDC(), TranslateColor(p.ForeColor));
    auto X = [&](Colour c) { return TranslateColor(c); };
    if (Checked() && state != 2) {
        FillRectangle(X(0xFEFEFE));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, X(0xAF987A));
        DrawCorners(ShiftColor(X(0xC1B3A0), -0.2f));
        if (state == 1) {
            DrawLine(W - 2, 2, W - 2, H - 2, X(0xEDF0F2));
            DrawLine(2, H - 2, W - 2, H - 2, X(0xD8DEE4));
            DrawLine(1, H - 3, W - 1, H - 3, X(0xE8ECEF));
            DrawLine(1, H - 4, W - 1, H - 4, X(0xF8F9FA));
        }
    } else if (state == 0) {
        RebuildRegion();
        FillRectangle(X(p.BackColor));
        ContentPass(state);
    } else if (state == 1) {
        DrawGradient(0, 0, W, Half(H), X(0xFDFEFE), X(0xEEF4F4));
        DrawGradient(0, Half(H), W, Half(H), X(0xEEF4F4), X(0xEAF1F1));
        ContentPass(state);
        DrawLine(W - 2, 2, W - 2, H - 2, X(0xE0E7EA));
        DrawLine(W - 3, 2, W - 3, H - 2, X(0xEAF0F0));
        DrawLine(0, H - 4, W, H - 4, X(0xE5EDEE));
        DrawLine(0, H - 3, W, H - 3, X(0xD6E1E4));
        DrawLine(0, H - 2, W, H - 2, X(0xC6D2D7));
        DrawRectangle(0, 0, W, H, X(0xC3CECE));
        DrawCorners(ShiftColor(X(0xC9D4D4), -0.2f));
    } else {
        FillRectangle(X(0xDDE4E5));
        ContentPass(state);
        DrawLine(1, 1, W - 2, 1, ShiftColor(X(0xD1DADC), -0.02f));
        DrawLine(1, 2, W - 2, 2, ShiftColor(X(0xDAE1E3), -0.02f));
        DrawLine(1, H - 3, W - 2, H - 3, ShiftColor(X(0xDEE5E6), 0.02f));
        DrawLine(1, H - 2, W - 2, H - 2, ShiftColor(X(0xE5EAEB), 0.02f));
        DrawRectangle(0, 0, W, H, X(0x929D9D));
        DrawCorners(ShiftColor(X(0xABB4B5), -0.2f));
    }
}

void VLM_StyleButton::DrawGold(std::int32_t state) {
    RefreshSize();
    const Colour b = TranslateColor(model_.P.BackColor);
    const int W = W_, H = H_;
    auto frames = [&] {
        const Colour edge = TranslateColor(0xCA9E61);
        DrawRectangle(0, 0, W, H, edge);
        DrawRectangle(1, 1, W - 2, H - 2, kWhite);
        DrawCorners(ShiftColor(edge, 0.3f));
    };
    if (!model_.P.Enabled) {
        FillRectangle(b);
        ContentPass(state);
        DrawCorners(b);
    } else if (state == 0) {
        RebuildRegion();
        FillRectangle(b);
        ContentPass(state);
    } else if (state == 1) {
        DrawGradient(1, 1, W - 2, H - 2, TranslateColor(0xFDF9F1), TranslateColor(0xF8ECD0));
        FillRectangle(TranslateColor(0xF8ECD0), RECT{1, RoundToInt32(H / 1.7), W - 1, H - 1});
        ContentPass(state);
        frames();
    } else {
        DrawGradient(1, 1, W - 2, H - 2, TranslateColor(0xF1DEB0), TranslateColor(0xF9F1DB));
        ContentPass(state);
        frames();
    }
}

void VLM_StyleButton::DrawSunrise(std::int32_t state) {
    RefreshSize();
    const Colour b = TranslateColor(model_.P.BackColor);
    const int W = W_, H = H_;
    const int s = RoundToInt32(H / 2.7), lower = RoundToInt32(H - H / 2.7);
    auto pair = [&](Colour u1, Colour u2, Colour l1, Colour l2) {
        DrawGradient(0, 0, W, s, u1, u2);
        DrawGradient(0, s, W, lower, l1, l2);
    };
    auto X = [&](Colour c) { return TranslateColor(c); };
    const Colour frame = ShiftColor(b, -0.34f);
    if (Checked()) {
        pair(X(0xA9D9FF), X(0x6FC0FF), X(0x3FABFF), X(0x75E1FF));
        DrawRectangle(0, 0, W, H, frame);
        if (MouseOver()) {
            pair(X(0x58C1FF), X(0x51AFFF), X(0x468FFF), X(0x5FD3FF));
            DrawRectangle(0, 0, W, H, frame);
        }
        ContentPass(state);
    } else if (state == 0) {
        FillRectangle(b);
        pair(MixColors(ShiftColor(b, 0.09f), kWhite), MixColors(ShiftColor(b, 0.07f), b), b, ShiftColor(kWhite, 0.03f));
        ContentPass(state);
    } else {
        if (state == 1)
            pair(X(0xE1FFFF), X(0xACEAFF), X(0x67D7FF), X(0x99E4FF));
        else
            pair(X(0x58C1FF), X(0x51AFFF), X(0x468FFF), X(0x5FD3FF));
        ContentPass(state);
        DrawRectangle(0, 0, W, H, frame);
    }
}

void VLM_StyleButton::DrawFlatHover(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const Colour b = TranslateColor(p.BackColor);
    Colour light = b, border = ShiftColor(b, -0.12f);
    switch (p.ColorScheme) {
        case 0: light = 0xEED2C1, border = 0xC56A31; break;
        case 1: light = 0xBAD6D4, border = 0x70A093; break;
        case 2: light = 0xE3DFE0, border = 0xBFB4B2; break;
        default: break;
    }
    if (Checked()) {
        FillRectangle(ShiftColor(light, -0.05f));
        DrawRectangle(0, 0, W_, H_, border);
        if (MouseOver()) {
            FillRectangle(ShiftColor(light, -0.01f));
            DrawRectangle(0, 0, W_, H_, border);
        }
        ContentPass(state);
    } else if (state == 0) {
        FillRectangle(b);
        ContentPass(state);
    } else {
        FillRectangle(ShiftColor(light, state == 1 ? 0.03f : -0.08f));
        ContentPass(state);
        DrawRectangle(0, 0, W_, H_, border);
    }
}

void VLM_StyleButton::DrawSoft(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const Colour b = TranslateColor(p.BackColor);
    struct Row {
        float fill, t, u, v, f, k;
    };
    static constexpr Row kRows[] = {
        {0.0f, 0.05f, -0.02f, 0.08f, -0.2f, -0.23f},     // disabled (fill is b itself)
        {-0.03f, 0.1f, -0.05f, 0.1f, -0.33f, -0.36f},    // normal
        {-0.03f, 0.15f, -0.05f, 0.2f, -0.28f, -0.36f},   // hot
        {-0.03f, 0.1f, -0.08f, 0.05f, -0.36f, -0.36f},   // pressed
    };
    const int index = !p.Enabled ? 0 : state >= 0 && state <= 2 ? state + 1 : 1;
    const Row& r = kRows[index];
    if (index == 1) RebuildRegion();
    FillRectangle(index == 0 ? b : ShiftColor(b, r.fill));
    DrawGradient(0, 0, W_, 5, ShiftColor(MixColors(b, kWhite), r.t), b);
    DrawGradient(0, 6, W_, H_ - 1, ShiftColor(b, r.u), MixColors(kWhite, ShiftColor(b, r.v)));
    ContentPass(state);
    DrawRectangle(0, 0, W_, H_, ShiftColor(b, r.f));
    DrawCorners(ShiftColor(b, r.k));
}

void VLM_StyleButton::DrawSystemTheme(std::int32_t state) {
    RefreshSize();
    surfaceBackColor_ = kButtonFace;
    int partState = 4;
    if (model_.P.Enabled) {
        partState = state == 1 ? 2 : state == 2 ? 3 : 1;
        if (state == 0 && FocusShown() && ParentActive()) partState = 5;
    }
    if (const HTHEME theme = theme_.OpenThemeData(hwnd_, L"Button")) {
        const HDC dc = surface_.hDC();
        const RECT regionRect{-1, -1, W_ + 1, H_ + 2};
        HRGN rgn = nullptr;
        if (theme_.GetThemeBackgroundRegion &&
            theme_.GetThemeBackgroundRegion(theme, dc, kPushButtonPart, partState, &regionRect, &rgn) == S_OK && rgn) {
            GiveRegion(RegionHandle(rgn));
        }
        const RECT client{0, 0, W_, H_};
        theme_.DrawThemeBackground(theme, dc, kPushButtonPart, partState, &client, &client);
        theme_.CloseThemeData(theme);
    }
    ContentPass(state);
}

}  // namespace panorel
