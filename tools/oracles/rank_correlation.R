# Reference values for the rank correlations: cor.test with the Pearson,
# Spearman and Kendall methods, rank(), and the normal approximations
# written out with pnorm. Run from the repository root:
#   Rscript tools/oracles/rank_correlation.R
source("tools/oracles/common.R")
set.seed(74062)

con <- file(out_path("rank_correlation_cases.inc"), "w")
header(con, "rank_correlation.R")

make_sets <- function() {
  x1 <- round(rnorm(25, 10, 3), 2); y1 <- round(x1 + rnorm(25, 0, 2), 2)          # no ties
  x2 <- sample(1:6, 40, replace = TRUE); y2 <- sample(1:5, 40, replace = TRUE) + (x2 > 3) # many ties
  x3 <- round(runif(120, 0, 50)); y3 <- round(60 - x3 + rnorm(120, 0, 8))          # negative, ties
  x4 <- round(rnorm(499), 3); y4 <- round(0.1 * x4 + rnorm(499), 3)                 # at the switch
  x5 <- round(rnorm(500), 3); y5 <- round(0.1 * x5 + rnorm(500), 3)                 # above it
  x6 <- c(1, 2, 3, 4, 5, 6, 7, 8); y6 <- c(2, 1, 4, 3, 6, 5, 8, 7)
  x7 <- sample(1:6, 30, replace = TRUE); y7 <- x7 + sample(0:3, 30, replace = TRUE)  # tied, strong
  list(list("no ties", x1, y1), list("many ties", x2, y2), list("negative", x3, y3),
       list("n 499", x4, y4), list("n 500", x5, y5), list("swapped pairs", x6, y6),
       list("tied integers", x7, y7))
}
sets <- make_sets()

writeLines("struct RankCase {\n    const char* name;\n    std::vector<double> x, y;\n    // Pearson\n    double r, t, probT, adjr2, z;\n    // Spearman on mid-ranks\n    double D, zd, probD, rs, ts, probRs;\n    // Kendall: tau-b, and z and p with the variance of S corrected for ties\n    double tau, tauZ, probZ;\n};", con)
writeLines("const RankCase kRankCases[] = {", con)
for (s in sets) {
  x <- s[[2]]; y <- s[[3]]; n <- length(x)
  pt <- cor.test(x, y, method = "pearson")
  r <- unname(pt$estimate); df <- n - 2
  z <- atanh(r)
  probT <- if (n > 499) 2 * pnorm(-abs(z) * sqrt(n - 1)) else pt$p.value
  rx <- rank(x); ry <- rank(y)
  D <- sum((rx - ry)^2)
  tx <- table(x); ty <- table(y)
  sf <- sum(tx^3 - tx); sg <- sum(ty^3 - ty)
  en3n <- n^3 - n
  aved <- en3n / 6 - (sf + sg) / 12
  fac <- (1 - sf / en3n) * (1 - sg / en3n)
  vard <- (n - 1) * n^2 * (n + 1)^2 / 36 * fac
  zd <- (D - aved) / sqrt(vard)
  # Spearman's rs with ties is Pearson's r of the mid-ranks; without the
  # exact test R takes its p-value from t = rs sqrt((n - 2)/(1 - rs^2))
  sp <- suppressWarnings(cor.test(x, y, method = "spearman", exact = FALSE))
  rs <- unname(sp$estimate)
  ts <- rs * sqrt((n - 2) / (1 - rs^2))
  # Kendall's z: S over the square root of its variance under independence,
  # corrected for the tied groups in x and in y
  kt <- suppressWarnings(cor.test(x, y, method = "kendall", exact = FALSE, continuity = FALSE))
  tau <- unname(kt$estimate)
  tauZ <- unname(kt$statistic)
  vals <- c(r, unname(pt$statistic), probT, 1 - (1 - r^2) * (n - 1) / (n - 2), z,
            D, zd, 2 * pnorm(-abs(zd)), rs, ts, sp$p.value,
            tau, tauZ, kt$p.value)
  writeLines(sprintf("    {\"%s\", %s, %s, %s},", s[[1]], vec(x), vec(y), paste(num(vals), collapse = ", ")), con)
}
writeLines("};", con)

# Without ties R's large-sample Kendall statistic is the same z, from
# cor.test itself.
writeLines("struct KendallUntiedCase { std::vector<double> x, y; double tau, z, p; };", con)
writeLines("const KendallUntiedCase kKendallUntied[] = {", con)
for (n in c(10, 60, 300)) {
  x <- sample(n) + 0.5; y <- round(x + rnorm(n, 0, n / 3), 6)
  kt <- cor.test(x, y, method = "kendall", exact = FALSE, continuity = FALSE)
  writeLines(sprintf("    {%s, %s, %s, %s, %s},", vec(x), vec(y), num(unname(kt$estimate)),
                     num(unname(kt$statistic)), num(kt$p.value)), con)
}
writeLines("};", con)

# erfc(x) = 2 pnorm(-x sqrt(2))
xs <- c(-3, -1.5, -0.5, 0, 0.001, 0.3, 1, 1.7, 2.5, 4, 6, 9)
writeLines(sprintf("const double kErfcX[] = %s;", vec(xs)), con)
writeLines(sprintf("const double kErfc[] = %s;", vec(2 * pnorm(-xs * sqrt(2)))), con)
close(con)
