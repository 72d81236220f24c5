#pragma once
// The two web pages the program points to.

// The product's information page: news, updates and downloads.
inline constexpr char kProductPageAddress[] = "https://www.quorvex.example/informations";
// The maker's home page.
inline constexpr char kMakerPageAddress[] = "https://www.tessaron.example/";
