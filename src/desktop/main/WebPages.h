#pragma once

// The web page of the help menu; change it here only.
namespace WebPage {
// The racing authority's page of the current track conditions ("馬場情報(&B)").
inline constexpr char TrackConditions[] = "https://www.jra.go.jp/keiba/baba/";
}  // namespace WebPage
