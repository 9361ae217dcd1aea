#include "markup/FormMarkup.h"

#include "markup/MarkupPieces.h"

TMarkup FormMarkup(const std::u32string& method, const std::u32string& url, TEnctype enctype)
{
    const std::u32string br(kLineBreak);
    TMarkup markup;
    markup.Caret = TCaretRule::BeforeClosingTag;
    markup.ClosingLength = EditorLength(br + U"</form>");
    markup << U"<form method=\"" + method + U"\" action=\"" + url + U"\"";
    if (enctype == TEnctype::UrlEncoded) markup << U" enctype=\"application/x-www-form-urlencoded\"";
    markup << U">" + br + br + U"</form>";
    return markup;
}

TMarkup InputMarkup(const std::u32string& type, const std::u32string& name, const std::u32string& value)
{
    TMarkup markup;
    markup << U"<input type=\"" + type + U"\"";
    AddIfFilled(markup, U"name", name);
    AddIfFilled(markup, U"value", value);
    markup << U">";
    return markup;
}

TMarkup SelectListMarkup(const TSelectListFields& fields)
{
    const std::u32string br(kLineBreak);
    TMarkup markup;
    markup << U"<select";
    AddIfFilled(markup, U"name", fields.Name);
    AddIfFilled(markup, U"size", fields.Size);
    if (fields.Selection == TSelection::Multiple) markup << U" multiple";
    AddIfFilled(markup, U"align", fields.Alignment);
    markup << U">" + br;
    for (const TSelectOption& option : fields.Options)
        markup << U"<option value=\"" + option.Value + U"\">" + option.Text + U"</option>" + br;
    markup << U"</select>" + br;
    return markup;
}

TMarkup TextAreaMarkup(const TTextAreaFields& fields)
{
    const std::u32string br(kLineBreak);
    TMarkup markup;
    markup << U"<textarea";
    AddIfFilled(markup, U"name", fields.Name);
    AddIfFilled(markup, U"rows", fields.Rows);
    AddIfFilled(markup, U"cols", fields.Columns);
    markup << U">" + br + fields.Text + br + U"</textarea>" + br;
    return markup;
}

TMarkup LabelMarkup(const std::u32string& labelFor, const std::u32string& text)
{
    TMarkup markup;
    markup << U"<label";
    AddIfFilled(markup, U"for", labelFor);
    markup << U">" + text + U"</label>";
    return markup;
}
