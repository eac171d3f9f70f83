# Reference values for the two-sample nonparametric tests.
#
# Mann-Whitney: the rank sum R of the second sample from rank() (mid-ranks),
# D = R - nb (N + 1)/2 corrected by 0.5 towards zero, the tie-corrected
# variance Var = na nb / (N (N - 1)) (N^3 - N - sum(t^3 - t)) / 12 from
# table(), and the one-sided tail of |D| / sqrt(Var). That tail is the
# p-value of wilcox.test(second, first, alternative = "greater",
# correct = TRUE, exact = FALSE) for D > 0 and of the samples swapped for
# D < 0, which the script checks.
#
# Kolmogorov-Smirnov: the statistic of ks.test (two samples, exact = FALSE;
# one sample against punif), written as the largest difference of the two
# ecdf()s at the data points (counts over sample sizes, the same doubles as
# the library forms) after checking it against ks.test's to 1e-14. The
# probabilities are Q(lambda) = 2 sum_j (-1)^(j-1) exp(-2 j^2 lambda^2) at
# lambda = (sqrt(ne) + 0.12 + 0.11/sqrt(ne)) D, summed here to 200 terms (the
# theta-function form below lambda = 0.3); it agrees with
# scipy.special.kolmogorov (tools/oracles/kolmogorov.py) to 1e-16.
# Run from the repository root:  Rscript tools/oracles/nonparametric.R
source("tools/oracles/common.R")
source("tools/oracles/weyl_data.R")
set.seed(20261213)

con <- file(out_path("nonparametric_cases.inc"), "w")
header(con, "nonparametric.R")

mann_whitney <- function(x, y) {
  na <- as.double(length(x)); nb <- as.double(length(y)); N <- na + nb
  R <- sum(rank(c(x, y))[(na + 1):N])
  diff <- R - nb * (N + 1) / 2
  D <- diff - sign(diff) * 0.5
  t <- as.vector(table(c(x, y)))
  Var <- nb * na / (N * (N - 1)) * (N^3 - N - sum(t^3 - t)) / 12
  sig <- pnorm(abs(D) / sqrt(Var), lower.tail = FALSE)
  p <- if (D >= 0) wilcox.test(y, x, alternative = "greater", correct = TRUE, exact = FALSE)$p.value
       else wilcox.test(x, y, alternative = "greater", correct = TRUE, exact = FALSE)$p.value
  stopifnot(abs(p - sig) <= 1e-12 * sig)
  c(D, Var, abs(D) / sqrt(Var), sig)
}

Q <- function(lambda) {
  if (lambda < 0.3) {
    j <- 1:50
    1 - sqrt(2 * pi) / lambda * sum(exp(-(2 * j - 1)^2 * pi^2 / (8 * lambda^2)))
  } else {
    j <- 1:200
    2 * sum((-1)^(j - 1) * exp(-2 * j^2 * lambda^2))
  }
}
stephens <- function(D, ne) Q((sqrt(ne) + 0.12 + 0.11 / sqrt(ne)) * D)

ks2 <- function(x, y) {
  D <- unname(suppressWarnings(ks.test(x, y, exact = FALSE))$statistic)
  w <- sort(unique(c(x, y)))
  De <- max(abs(ecdf(x)(w) - ecdf(y)(w)))
  stopifnot(abs(D - De) <= 1e-14)
  ne <- as.double(length(x)) * length(y) / (length(x) + length(y))
  c(De, ne, stephens(De, ne))
}
ks1 <- function(u) {
  D <- unname(suppressWarnings(ks.test(u, "punif", exact = FALSE))$statistic)
  n <- length(u)
  c(D, stephens(D, n))
}

two <- list(
  list("three against three", c(1, 2, 3), c(4, 5, 6)),
  list("three above three", c(4, 5, 6), c(1, 2, 3)),
  list("a tie across", c(1, 2), c(2, 3)),
  list("four against four", c(1, 2, 3, 4), c(2.5, 3.5, 5, 6)),
  list("shared ties", c(1, 1, 2), c(1, 3)),
  list("no ties", round(rnorm(8, 10, 2), 2), round(rnorm(10, 11, 2), 2)),
  list("many ties", sample(1:6, 30, replace = TRUE), sample(2:7, 25, replace = TRUE)),
  list("second lower", round(rnorm(20, 5), 2), round(rnorm(15, 4), 2)),
  list("offset 1e9", 1e9 + round(rnorm(25), 1), 1e9 + round(rnorm(30, 0.3), 1)),
  list("sizes 30 and 7", round(rexp(30), 3), round(rexp(7, 0.5), 3)),
  list("999 and 1000", round(rnorm(999), 3), round(rnorm(1000, 0.05), 3)),
  list("1000 and 1000", round(rnorm(1000), 2), round(rnorm(1000, -0.02), 2)))
gens <- list(list("smooth 100,000 and 100,000", FALSE, 100000, 0, 1, 0.004),
             list("ties 100,000 and 100,000", TRUE, 100000, 0, 20, 0))
gen <- function(g, first, shift) {
  if (g[[2]]) weyl_ties(g[[3]], g[[5]], first) + shift else weyl_smooth(g[[3]], g[[4]] + shift, g[[5]], first)
}

writeLines("struct TwoSampleRankCase {\n    const char* name;\n    std::vector<double> x, y;\n    // Mann-Whitney\n    double D, Var, rv, sig;\n    // Kolmogorov-Smirnov\n    double KS, en, ProbKS;\n};", con)
writeLines("const TwoSampleRankCase kTwoSampleRankCases[] = {", con)
for (s in two) {
  x <- s[[2]]; y <- s[[3]]
  writeLines(sprintf("    {\"%s\", %s, %s, %s},", s[[1]], vec(x), vec(y),
                     paste(num(c(mann_whitney(x, y), ks2(x, y))), collapse = ", ")), con)
}
writeLines("};", con)
writeLines("// The generated data of weyl_data.hpp: the first sample from i = 1, the second\n// from i = n + 1 with yShift added.", con)
writeLines("struct TwoSampleGeneratedCase {\n    const char* name;\n    bool ties;\n    int n;\n    double offset, scale, yShift;\n    double D, Var, rv, sig, KS, en, ProbKS;\n};", con)
writeLines("const TwoSampleGeneratedCase kTwoSampleGenerated[] = {", con)
for (g in gens) {
  x <- gen(g, 1, 0); y <- gen(g, g[[3]] + 1, g[[6]])
  writeLines(sprintf("    {\"%s\", %s, %d, %s, %s, %s, %s},", g[[1]], tolower(g[[2]]), g[[3]], num(g[[4]]), num(g[[5]]),
                     num(g[[6]]), paste(num(c(mann_whitney(x, y), ks2(x, y))), collapse = ", ")), con)
}
writeLines("};", con)

one <- list(
  list("one value", c(0.3)),
  list("uniform 10", round(runif(10), 4)),
  list("ties 40", round(runif(40), 1) * 0.98 + 0.01),
  list("normal probabilities 1000", pnorm(rnorm(1000, 0.1))),
  list("far from uniform", round(runif(50)^3, 5) + 1e-6))
writeLines("struct OneSampleKsCase {\n    const char* name;\n    std::vector<double> u;\n    double KS, ProbKS;\n};", con)
writeLines("const OneSampleKsCase kOneSampleKsCases[] = {", con)
for (s in one) {
  writeLines(sprintf("    {\"%s\", %s, %s},", s[[1]], vec(s[[2]]), paste(num(ks1(s[[2]])), collapse = ", ")), con)
}
writeLines("};", con)
# 100,000 probabilities (weylTies(n, 1000) + 0.5) / 1000, tied in 1000 groups.
u <- (weyl_ties(100000, 1000) + 0.5) / 1000
writeLines(sprintf("const double kOneSampleKsGenerated[2] = {%s};", paste(num(ks1(u)), collapse = ", ")), con)
close(con)
