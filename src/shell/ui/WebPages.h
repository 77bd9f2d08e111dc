#pragma once

// The two web pages of the help menu; change them here only.
namespace WebPage {
// The racing authority's page of the current track conditions ("馬場情報(&B)").
inline constexpr char TrackConditions[] = "https://www.jra.go.jp/keiba/baba/";
// The program's support page ("RAVEKサポートページへ(&A)").
inline constexpr char Support[] = "https://ravek.example.org/support/";
}  // namespace WebPage
