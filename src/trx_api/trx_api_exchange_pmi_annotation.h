#pragma once

// PMI base records: the object every annotation and view is, leaders, the annotation base
// class and notes with their texts.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "json/json_object.h"
#include "trx_api_exchange_common.h"
#include "trx_api_exchange_mechanical_common.h"

namespace trx {

enum class EPMIAnnotationType : int {
    unknown = 0, datum = 1, datum_target = 2, note = 3, flag_note = 4, NOA = 5, roughness = 6,
    GDT = 7, dimension = 8
};

// How an annotation's text is oriented.
enum class EPMIOrientation : int { horizontal = 0, vertical = 1, parallel = 2, perpendicular = 3, dim_angle = 4 };

// Name, id and visibility of annotations and views; other records refer to them by id.
class TRX_API ExcPMIObject : public IJsonObject {
public:
    const std::wstring& id() const { return m_id; }
    void setId(const std::wstring& v) { m_id = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }

    TRX_JSON_RECORD(ExcPMIObject);

protected:
    ExcPMIObject() = default;
    ExcPMIObject(const ExcPMIObject&) = default;
    ExcPMIObject& operator=(const ExcPMIObject&) = default;
    // The shared part only; derived classes compare the rest.

private:

    std::wstring m_name;
    std::wstring m_id;
    bool m_hidden = false;
};

// A leader line, as points in the annotation plane.
class TRX_API ExcPMILeader : public IJsonObject {
public:
    using Points = std::vector<ExcVector2d>;

    const Points& points() const { return m_points; }
    void setPoints(const Points& v) { m_points = v; }
    void addPoint(const ExcVector2d& v) { m_points.push_back(v); }

    TRX_JSON_RECORD(ExcPMILeader);

private:
    Points m_points;
};

using ExcPMILeaders = std::vector<std::shared_ptr<ExcPMILeader>>;

// What every annotation kind has: placement, the entities it annotates and its leaders.
class TRX_API ExcPMIAnnotation : public ExcPMIObject {
public:
    virtual EPMIAnnotationType type() const = 0;

    const ExcVector2d& position() const { return m_position; }
    void setPosition(const ExcVector2d& v) { m_position = v; }
    EPMIOrientation orientation() const { return m_orientation; }
    void setOrientation(EPMIOrientation v) { m_orientation = v; }
    double angle() const { return m_angle; }
    void setAngle(double v) { m_angle = v; }
    double zDepth() const { return m_zDepth; }
    void setZDepth(double v) { m_zDepth = v; }

    const ExcEntities& linkedElements() const { return m_linkedElements; }
    void setLinkedElements(const ExcEntities& v) { m_linkedElements = v; }
    void addLinkedElement(const std::shared_ptr<ExcEntity>& v);
    void addLinkedElements(const ExcEntities& v);

    const ExcPMILeaders& leaders() const { return m_leaders; }
    void setLeaders(const ExcPMILeaders& v) { m_leaders = v; }
    void addLeader(const std::shared_ptr<ExcPMILeader>& v);
    void addLeaders(const ExcPMILeaders& v);

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
    void writeBinary(detail::BinaryWriter& out) const override;
    void writeBinaryMembers(detail::BinaryWriter& out) const;
    void readBinary(detail::BinaryReader& in) override;
    bool readBinaryMember(detail::BinaryReader& in, json::TakenKeys& taken);
    static bool readsMembersStraight();

protected:
    ExcPMIAnnotation() = default;
    ExcPMIAnnotation(const ExcPMIAnnotation&) = default;
    ExcPMIAnnotation& operator=(const ExcPMIAnnotation&) = default;
    // Protected: only the kinds compare, each through its own operator==.
    bool operator==(const ExcPMIAnnotation& o) const;
    template <class Self, class F>
    static void fields(Self& s, F&& f);

private:
    EPMIOrientation m_orientation = EPMIOrientation::horizontal;
    double m_angle = 0.0;
    double m_zDepth = 0.0;
    ExcVector2d m_position;
    ExcEntities m_linkedElements;
    ExcPMILeaders m_leaders;
};

// A note: runs of text, possibly a flag note or a notes-on-all.
class TRX_API ExcPMINote : public ExcPMIAnnotation {
public:
    // One run of note text with its font and style.
    class TRX_API Text : public IJsonObject {
    public:
        enum class EFontType : int {
            simplex = 0, din = 1, military = 2, ISO = 3, light_line = 4, century = 5,
            IGES_1001 = 6, IGES_1002 = 7, IGES_1003 = 8
        };
        using RGBA = std::array<double, 4>;

        const std::wstring& label() const { return m_label; }
        void setLabel(const std::wstring& v) { m_label = v; }
        const std::wstring& fontName() const { return m_fontName; }
        void setFontName(const std::wstring& v) { m_fontName = v; }
        EFontType fontType() const { return m_fontType; }
        void setFontType(EFontType v) { m_fontType = v; }
        bool fixedPitch() const { return m_fixedPitch; }
        void setFixedPitch(bool v) { m_fixedPitch = v; }
        double height() const { return m_height; }
        void setHeight(double v) { m_height = v; }
        bool bold() const { return m_bold; }
        void setBold(bool v) { m_bold = v; }
        bool italic() const { return m_italic; }
        void setItalic(bool v) { m_italic = v; }
        bool underline() const { return m_underline; }
        void setUnderline(bool v) { m_underline = v; }
        bool strikeThrough() const { return m_strikeThrough; }
        void setStrikeThrough(bool v) { m_strikeThrough = v; }
        bool overline() const { return m_overline; }
        void setOverline(bool v) { m_overline = v; }
        double ratio() const { return m_ratio; }
        void setRatio(double v) { m_ratio = v; }
        double slant() const { return m_slant; }
        void setSlant(double v) { m_slant = v; }
        const RGBA& getRGBA() const { return m_rgba; }
        void getRGBA(double& r, double& g, double& b, double& a) const {
            r = m_rgba[0]; g = m_rgba[1]; b = m_rgba[2]; a = m_rgba[3];
        }
        void setRGBA(double r, double g, double b, double a) { m_rgba = {r, g, b, a}; }

        TRX_JSON_RECORD(Text);

    private:
        std::wstring m_label;
        std::wstring m_fontName;
        EFontType m_fontType = EFontType::simplex;
        bool m_fixedPitch = false;
        double m_height = 0.0;
        bool m_bold = false;
        bool m_italic = false;
        bool m_underline = false;
        bool m_strikeThrough = false;
        bool m_overline = false;
        double m_ratio = 0.0;
        double m_slant = 0.0;
        RGBA m_rgba{1.0, 1.0, 1.0, 1.0};
    };
    using Texts = std::vector<std::shared_ptr<Text>>;

    EPMIAnnotationType type() const override { return EPMIAnnotationType::note; }

    const Texts& texts() const { return m_texts; }
    void setTexts(const Texts& v) { m_texts = v; }
    void addText(const std::shared_ptr<Text>& v);
    void addTexts(const Texts& v);
    bool isFlagNote() const { return m_flagNote; }
    void setFlagNote(bool v) { m_flagNote = v; }
    bool isNOA() const { return m_NOA; }
    void setNOA(bool v) { m_NOA = v; }

    TRX_JSON_RECORD(ExcPMINote);

private:
    Texts m_texts;
    bool m_flagNote = false;
    bool m_NOA = false;
};

}  // namespace trx
