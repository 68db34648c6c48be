#include "../trx_api_exchange_pmi_annotation.h"

#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

TRX_ENUM(EPMIAnnotationType, unknown, datum, datum_target, note, flag_note, NOA, roughness, GDT,
    dimension);

TRX_ENUM(EPMIOrientation, horizontal, vertical, parallel, perpendicular, dim_angle);

TRX_ENUM(ExcPMINote::Text::EFontType, simplex, din, military, ISO, light_line, century, IGES_1001,
    IGES_1002, IGES_1003);

// ---- object -------------------------------------------------------------------------

TRX_FIELDS(ExcPMIObject, IJsonObject) {
    f(L"name", s.m_name);
    f(L"id", s.m_id);
    f(L"hidden", s.m_hidden);
}

// ---- leader -------------------------------------------------------------------------

TRX_FIELDS(ExcPMILeader, IJsonObject) {
    f(L"points", s.m_points);
}

// ---- annotation ---------------------------------------------------------------------

void ExcPMIAnnotation::addLinkedElement(const std::shared_ptr<ExcEntity>& v) {
    json::addOrRefuse(m_linkedElements, v, "ExcPMIAnnotation: attempt to add null linked element");
}

void ExcPMIAnnotation::addLinkedElements(const ExcEntities& v) {
    for (const auto& e : v) addLinkedElement(e);
}

void ExcPMIAnnotation::addLeader(const std::shared_ptr<ExcPMILeader>& v) {
    json::addOrRefuse(m_leaders, v, "ExcPMIAnnotation: attempt to add null PMI leader.");
}

void ExcPMIAnnotation::addLeaders(const ExcPMILeaders& v) {
    for (const auto& l : v) addLeader(l);
}

// "type" is written, not read: the reading class fixes the kind.
TRX_FIELDS(ExcPMIAnnotation, ExcPMIObject) {
    f(L"type", json::writeOnly(s.type()));
    f(L"orientation", s.m_orientation);
    f(L"angle", s.m_angle, s.m_orientation == EPMIOrientation::dim_angle);
    f(L"z_depth", s.m_zDepth);
    f(L"position", s.m_position);
    f(L"linked_elements", s.m_linkedElements);
    f(L"leaders", s.m_leaders);
}

// ---- note text ----------------------------------------------------------------------

TRX_FIELDS(ExcPMINote::Text, IJsonObject) {
    f(L"label", s.m_label);
    f(L"font_name", s.m_fontName);
    f(L"font_type", s.m_fontType);
    f(L"fixed_pitch", s.m_fixedPitch);
    f(L"height", s.m_height);
    f(L"bold", s.m_bold);
    f(L"italic", s.m_italic);
    f(L"underline", s.m_underline);
    f(L"strike_through", s.m_strikeThrough);
    f(L"overline", s.m_overline);
    f(L"ratio", s.m_ratio);
    f(L"slant", s.m_slant);
    f(L"color", json::leadingItems(s.m_rgba));
}

// ---- note ---------------------------------------------------------------------------

TRX_FIELDS(ExcPMINote, ExcPMIAnnotation) {
    f(L"texts", s.m_texts);
    f(L"is_flag_note", s.m_flagNote);
    f(L"is_noa", s.m_NOA);
}

void ExcPMINote::addText(const std::shared_ptr<Text>& v) {
    json::addOrRefuse(m_texts, v, "ExcPMINote: attempt to add null text.");
}

void ExcPMINote::addTexts(const Texts& v) {
    for (const auto& t : v) addText(t);
}

}  // namespace trx
