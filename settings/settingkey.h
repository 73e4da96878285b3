#pragma once

#include <QString>

// One value kept between runs: where it is stored, the text that stands in when nothing usable
// is stored, and the form its text takes.
struct SettingKey
{
    enum class Form {
        Geometry, // twips, see SettingText::geometry
        FontSize, // points, see SettingText::fontSize
        WholeNumber,
        Flag, // "True" or "False"
        YesNo, // "Yes"; any other text means no
        Colour, // see SettingText::colour
        Text, // as given; blank text is not usable
    };

    const char *section;
    const char *name;
    // None where the default depends on the screen.
    const char *defaultText;
    Form form;

    QString sectionText() const { return QString::fromLatin1(section); }
    QString nameText() const { return QString::fromLatin1(name); }
};

// Every stored value, each named once. Older and newer versions of the program, and a person
// with a text editor, read the same names and texts.
namespace SettingKeys {

using Form = SettingKey::Form;

inline constexpr SettingKey Width { "FormPlacement", "Width", "7635", Form::Geometry };
inline constexpr SettingKey Height { "FormPlacement", "Height", "5640", Form::Geometry };
// Centred on the screen when nothing is stored.
inline constexpr SettingKey Left { "FormPlacement", "Left", nullptr, Form::Geometry };
inline constexpr SettingKey Top { "FormPlacement", "Top", nullptr, Form::Geometry };
inline constexpr SettingKey FontName { "Font", "FontName", "MS Sans Serif", Form::Text };
inline constexpr SettingKey FontSize { "Font", "FontSize", "8", Form::FontSize };
inline constexpr SettingKey Bold { "Font", "Bold", "False", Form::Flag };
inline constexpr SettingKey Italic { "Font", "Italic", "False", Form::Flag };
inline constexpr SettingKey Strikethru { "Font", "Strikethru", "False", Form::Flag };
inline constexpr SettingKey Underline { "Font", "Underline", "False", Form::Flag };
// The system's colour for text in windows.
inline constexpr SettingKey Color { "Font", "Color", "-2147483640", Form::Colour };
inline constexpr SettingKey Wordwrap { "Options", "Wordwrap", "False", Form::Flag };
inline constexpr SettingKey Background { "Options", "Background", "3", Form::WholeNumber };
// Only the association offer writes it, when asked not to ask again.
inline constexpr SettingKey CheckDefault { "Options", "CheckDefault", "Yes", Form::YesNo };

inline constexpr const SettingKey *All[] = {
    &Width,
    &Height,
    &Left,
    &Top,
    &FontName,
    &FontSize,
    &Bold,
    &Italic,
    &Strikethru,
    &Underline,
    &Color,
    &Wordwrap,
    &Background,
    &CheckDefault,
};

} // namespace SettingKeys
