// prepareProcess: what the production asks of its process before it opens
// its window, for every program that draws its frames (the production, its
// benchmarks and measuring tools), so that they all draw alike:
//  - the windowing layer draws straight into the window rather than
//    through a scaled copy of its own, which would hide every layer drawn
//    after the production binds the window's framebuffer itself (a choice
//    the user has made in the environment stands);
//  - freed heap memory stays with the process. A software renderer
//    allocates and frees megabytes of working memory every frame; the C
//    library would hand that back to the system each time and take it again
//    page by page, which on a busy frame costs as much as some layers.
//
//     int main() { prepareProcess(); ... }
#pragma once

void prepareProcess();
