# Reference values for the normality tests: shapiro.test (R's swilk is AS
# R94 with exact normal quantiles), and nortest's lillie.test, cvm.test and
# ad.test for the EDF statistics of the normal case with mean and variance
# estimated (nortest's significance levels use Stephens' tables on the
# modified statistics, as STAT_EDFGOF does with Adjusted; they are written
# only where both use the same table row: W2 (1 + 0.5/n) below 1.1 and
# A2 (1 + 0.75/n + 2.25/n^2) below 10, NaN elsewhere).
# Run from the repository root:  Rscript tools/oracles/normality.R
suppressMessages(library(nortest))
source("tools/oracles/common.R")
source("tools/oracles/weyl_data.R")
set.seed(20261214)

con <- file(out_path("normality_cases.inc"), "w")
header(con, "normality.R")

sets <- list(
  list("n 3", c(2.1, 3.7, 3.9)),
  list("n 3 two equal", c(1, 1, 2)),
  list("n 4", c(1, 4, 9, 16)),
  list("n 5", round(rnorm(5, 10, 2), 2)),
  list("n 6", round(rnorm(6, 10, 2), 2)),
  list("n 11", round(rexp(11), 3)),
  list("n 12", round(rnorm(12), 3)),
  list("n 20 ties", round(rnorm(20, 5, 1))),
  list("n 100", round(rnorm(100, 50, 7), 2)),
  list("n 100 skewed", round(rexp(100, 0.3), 2)),
  list("offset 1e6", 1e6 + round(rnorm(40, 0, 0.5), 3)),
  list("offset 1e9", 1e9 + round(rnorm(25), 2)),
  list("negative", round(rnorm(30, -1e4, 300)))
)
gens <- list(list("smooth 5,000", FALSE, 5000, 0, 1), list("ties 5,000", TRUE, 5000, 0, 40))

writeLines("struct ShapiroCase {\n    const char* name;\n    std::vector<double> x;\n    double W, p;\n};", con)
writeLines("const ShapiroCase kShapiroCases[] = {", con)
for (s in sets) {
  st <- shapiro.test(s[[2]])
  writeLines(sprintf("    {\"%s\", %s, %s, %s},", s[[1]], vec(s[[2]]), num(unname(st$statistic)), num(st$p.value)), con)
}
writeLines("};", con)
writeLines("struct ShapiroGeneratedCase {\n    const char* name;\n    bool ties;\n    int n;\n    double offset, scale, W, p;\n};", con)
writeLines("const ShapiroGeneratedCase kShapiroGenerated[] = {", con)
for (g in gens) {
  x <- if (g[[2]]) weyl_ties(g[[3]], g[[5]]) else weyl_smooth(g[[3]], g[[4]], g[[5]])
  st <- shapiro.test(x)
  writeLines(sprintf("    {\"%s\", %s, %d, %s, %s, %s, %s},", g[[1]], tolower(g[[2]]), g[[3]], num(g[[4]]), num(g[[5]]),
                     num(unname(st$statistic)), num(st$p.value)), con)
}
writeLines("};", con)

# The EDF statistics of the normal case: D from lillie.test, W2 from
# cvm.test, A2 from ad.test (all on the plain statistics); the significance
# levels of the modified W2 and A2.
edf <- function(x) suppressWarnings({
  n <- length(x)
  W2 <- unname(cvm.test(x)$statistic)
  A2 <- unname(ad.test(x)$statistic)
  W2P <- if (W2 * (1 + 0.5 / n) < 1.1) suppressWarnings(cvm.test(x)$p.value) else NaN
  A2P <- if (A2 * (1 + 0.75 / n + 2.25 / n^2) < 10) ad.test(x)$p.value else NaN
  c(unname(lillie.test(x)$statistic), W2, A2, W2P, A2P)
})
writeLines("struct NormalEdfCase {\n    const char* name;\n    std::vector<double> x;\n    double D, W2, A2, W2P, A2P;\n};", con)
writeLines("const NormalEdfCase kNormalEdfCases[] = {", con)
for (s in sets[-(1:5)]) {  # nortest needs more than 7 values
  writeLines(sprintf("    {\"%s\", %s, %s},", s[[1]], vec(s[[2]]), paste(num(edf(s[[2]])), collapse = ", ")), con)
}
writeLines("};", con)
writeLines("struct NormalEdfGeneratedCase {\n    const char* name;\n    bool ties;\n    int n;\n    double offset, scale, D, W2, A2, W2P, A2P;\n};", con)
writeLines("const NormalEdfGeneratedCase kNormalEdfGenerated[] = {", con)
for (g in list(list("smooth 1,000", FALSE, 1000, 0, 1), list("smooth 100,000 at 1e6", FALSE, 100000, 1e6, 10),
               list("ties 100,000", TRUE, 100000, 0, 30))) {
  x <- if (g[[2]]) weyl_ties(g[[3]], g[[5]]) else weyl_smooth(g[[3]], g[[4]], g[[5]])
  writeLines(sprintf("    {\"%s\", %s, %d, %s, %s, %s},", g[[1]], tolower(g[[2]]), g[[3]], num(g[[4]]), num(g[[5]]),
                     paste(num(edf(x)), collapse = ", ")), con)
}
writeLines("};", con)
close(con)
