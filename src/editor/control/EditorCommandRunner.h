#pragma once
// Runs one editor command on a model: the meaning of every command of the key table. It works
// through the model's public operations only, inside the transaction ExecuteCommand opens; it reads
// the page from the model's document.

#include "editor/control/EditorModel.h"

class TEditorCommandRunner {
public:
    explicit TEditorCommandRunner(TEditorModel& model) : m_(model), page_(model.Document()) {}
    void Run(TEditorCommand command, const TCommandArgs& args);

private:
    // Caret movement.
    void Move(TTextPosition target, bool selecting);
    bool RunMovement(TEditorCommand movement, const TCommandArgs& args, bool selecting);
    TTextPosition Left() const;
    TTextPosition Right() const;
    TTextPosition Vertical(int lines);
    TTextPosition WordLeft(TTextPosition from) const;
    TTextPosition WordRight(TTextPosition from) const;
    TTextPosition LineEnd() const;
    TTextPosition LineStart() const;
    void Scroll(int lines, int columns);

    // Editing.
    void TypeChar(char32_t ch);
    void InsertText(const std::u32string& text);
    void DeleteLastChar();
    void DeleteChar();
    void DeleteWord();
    void DeleteLastWord();
    void DeleteLine();
    void LineBreak(bool moveCaret);
    void Tab();
    void ShiftTab();
    void BlockIndent();
    void BlockUnindent();
    void ChangeCase(TEditorCommand command);
    void MatchBracket();
    void CommentBlock();
    void SelectWord();
    void Cut();
    void Copy();
    void Paste();
    void GotoMarker(int index);
    void SetMarker(int index);

    // Text helpers.
    enum class CharClass { Word, Blank, Other };
    CharClass ClassOf(char32_t ch) const;
    // The class of the character at, or before, a byte offset of a line: word moves decode only the
    // characters they pass, however long the line.
    CharClass ClassAt(std::string_view bytes, std::size_t offset) const;
    CharClass ClassBefore(std::string_view bytes, std::size_t offset) const;
    std::pair<int, int> SelectedLines() const;
    int IndentWidth(int line) const;  // display columns of leading blanks
    std::string LeadingBlanks(int line) const;

    TEditorModel& m_;
    const TTextDocument& page_;
};
