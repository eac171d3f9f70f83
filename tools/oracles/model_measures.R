# Reference values for the model measures, the resistant R2 and the median,
# computed by R's own functions (mean, var, cor, median) from the textbook
# definitions. Run from the repository root:
#   Rscript tools/oracles/model_measures.R
source("tools/oracles/common.R")

set.seed(20261210)
sets <- list(
  list(name = "small", x = c(1.5, 2.0, 4.5), y = c(1.0, 2.5, 4.0)),
  # zero and negative observations: pMAE sums only y > 0 but divides by n
  list(name = "signs", x = c(0.3, 1.9, 4.2, -1.0, 2.2, 3.3, 0.0, 5.1, 2.8, -0.4, 1.1, 3.9),
       y = c(0.0, 2.0, 4.0, -0.5, 2.5, 3.0, 0.2, 4.6, 0.0, -1.2, 1.4, 4.4)),
  list(name = "random", x = round(runif(60, 5, 25), 2), y = NULL)
)
sets[[3]]$y <- round(0.9 * sets[[3]]$x + rnorm(60, 1, 2), 2)
# a negatively correlated set: r2 is still the square, the decomposition
# takes r with its sign
sets[[4]] <- list(name = "negative", x = c(1, 2, 3, 4, 5, 6, 7), y = c(7.2, 5.9, 5.1, 3.8, 3.1, 2.2, 0.7))
# weakly negative and far from zero
sets[[5]] <- list(name = "negative, far from zero", x = 1e6 + c(3.1, 1.2, 4.8, 2.2, 5.5, 0.4, 3.9, 2.7),
                  y = 1e6 + c(2.0, 4.1, 1.7, 2.2, 2.9, 3.8, 0.9, 3.3))

con <- file(out_path("model_measures_cases.inc"), "w")
header(con, "model_measures.R")
writeLines("struct ModelMeasuresCase {\n    const char* name;\n    std::vector<double> x, y;\n    double MeanX, MeanY, r2, mb, MAE, pMAE, MSEP, VarMSEP, MEF, MxE, CD;\n    std::vector<double> comp;\n    double ResistantR2, AdjResistantR2;\n};", con)
writeLines("const ModelMeasuresCase kModelMeasuresCases[] = {", con)
for (s in sets) {
  x <- s$x; y <- s$y; n <- length(x)
  mx <- mean(x); my <- mean(y)
  d <- y - x
  sx <- sqrt(mean((x - mx)^2)); sy <- sqrt(mean((y - my)^2))
  r <- cor(x, y); r2 <- r^2
  pos <- y > 0
  comp <- c((mx - my)^2, (sx - sy)^2, 2 * sx * sy * (1 - r), (sx - r * sy)^2, (1 - r2) * sy^2)
  # resistant R2 of the prediction x: median absolute residual against the
  # median absolute deviation of y from its mean
  rr2 <- 1 - (median(abs(y - x)) / median(abs(y - my)))^2
  adj <- 1 - (1 - rr2) * (n - 1) / (n - 3)
  vals <- c(mx, my, r2, mean(d), mean(abs(d)), 100 * sum(abs(d[pos]) / abs(y[pos])) / n,
            mean(d^2), var(d^2), 1 - sum(d^2) / sum((y - my)^2), max(abs(d)),
            sum((y - my)^2) / sum((x - my)^2))
  writeLines(sprintf("    {\"%s\", %s, %s, %s, %s, %s, %s},", s$name, vec(x), vec(y),
                     paste(num(vals), collapse = ", "), vec(comp), num(rr2), num(adj)), con)
}
writeLines("};", con)

# Medians of seeded samples with many ties, odd and even counts.
writeLines("struct MedianCase { std::vector<double> values; double median; };", con)
writeLines("const MedianCase kMedianCases[] = {", con)
for (n in c(3, 4, 7, 10, 101, 1000)) {
  v <- sample(c(-3, -1.5, 0, 0.25, 2, 2, 7, 1e6), n, replace = TRUE) + round(rnorm(n), 1)
  writeLines(sprintf("    {%s, %s},", vec(v), num(median(v))), con)
}
writeLines("};", con)
close(con)
