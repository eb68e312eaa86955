#pragma once

#include "graphics/ITextControl.h"

// A text field the user edits through the platform's text entry; optionally
// on a coloured background and shown as asterisks for a password.
class IEditableTextControl : public ITextControl
{
public:
  IEditableTextControl(IFxBase* pPlug, IRECT pR, IText* pText, const char* str, bool editing = false,
                       bool isPassword = false);

  // Editor thread; no allocation. Null removes the background.
  void SetBGColor(const IColor* pColor);
  // Editor thread; may open the text entry (allocates).
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread, inside the drawing pass; may allocate (the font on first use).
  bool Draw(IGraphics* pGraphics) override;

  // Kept for the platform's text entry to consult; nothing here reads it.
  void SetEditing(bool editing) { mEditing = editing; }
  bool IsEditing() const { return mEditing; }
  bool IsPassword() const { return mIsPassword; }

  static constexpr int kMaxMaskChars = 99;
  // One asterisk per character of str, at most kMaxMaskChars; out holds
  // kMaxMaskChars + 1 bytes.
  static void PasswordMask(const char* str, char* out);

protected:
  IColor mBGColor;
  bool mEditing;
  bool mIsPassword;
};
